#include "media/thumbnail_decoder.h"
#include "media/xdg_photo_library.h"
#include "platform/media_type.h"

#include <QThreadPool>

#include <limits>

namespace lumivex {

namespace {

Error noPreview() {
    return Error(QStringLiteral("Lumivex.Photos"), 2,
                 QStringLiteral("미리보기를 만들 수 없습니다."));
}

// Photos and video frames come from the decoders of folder thumbnails, so both grids show the
// same picture of a file. The kind is the file's own, whatever the caller's copy of the asset says.
ThumbnailSource sourceOf(const QString& path, const PhotoAsset& asset,
                         const PhotoImageRequest& request) {
    const bool video = MediaType::ofFile(path) == MediaContent::video;
    return {path, video ? MediaKind::video : MediaKind::photo,
            video && asset.duration > 0 ? std::optional(asset.duration) : std::nullopt,
            request.pixelSize, request.fit ? ThumbnailScaling::fit : ThumbnailScaling::fill};
}

}  // namespace

// Local files never download, so there is no progress and no degraded first answer: one final
// answer per request, unless it is cancelled first.
PhotoImageRequestId XdgPhotoLibrary::requestImage(const PhotoAsset& asset,
                                                  const PhotoImageRequest& request,
                                                  ResultHandler onResult, ProgressHandler) {
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    PhotoImageRequestId id = 0;
    {
        std::lock_guard lock(imagesMutex_);
        id = nextImageRequest_;
        nextImageRequest_ = nextImageRequest_ == std::numeric_limits<PhotoImageRequestId>::max()
                                ? 1
                                : nextImageRequest_ + 1;
        imageRequests_[id] = cancelled;
    }
    const std::optional<QString> path = resolve(asset.localIdentifier);
    std::optional<ThumbnailSource> source;
    if (path) {
        source = sourceOf(*path, asset, request);
    }
    QThreadPool& pool = request.first ? *firstDecoder_ : *decoders_;
    pool.start([this, id, source, cancelled, onResult = std::move(onResult)] {
        if (!cancelled->load()) {
            PhotoImageDelivery delivery;
            if (source) {
                delivery.image = ThumbnailDecoder::decode(*source, *cancelled);
            }
            if (delivery.image.isNull()) {
                delivery.error = noPreview();
            }
            if (!cancelled->load()) {
                onResult(delivery);
            }
        }
        forgetImageRequest(id);
    });
    return id;
}

void XdgPhotoLibrary::cancelImageRequest(PhotoImageRequestId id) {
    std::lock_guard lock(imagesMutex_);
    const auto found = imageRequests_.find(id);
    if (found != imageRequests_.end()) {
        found->second->store(true);
        imageRequests_.erase(found);
    }
}

void XdgPhotoLibrary::forgetImageRequest(PhotoImageRequestId id) {
    std::lock_guard lock(imagesMutex_);
    imageRequests_.erase(id);
}

}  // namespace lumivex

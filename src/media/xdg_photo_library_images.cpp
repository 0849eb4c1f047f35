#include "media/photo_image_decoder.h"
#include "media/xdg_photo_library.h"

#include <QThreadPool>

#include <limits>

namespace lumivex {

namespace {

Error noPreview() {
    return Error(QStringLiteral("Lumivex.Photos"), 2,
                 QStringLiteral("미리보기를 만들 수 없습니다."));
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
    decoders_->start([this, id, path, request, cancelled, onResult = std::move(onResult)] {
        if (!cancelled->load()) {
            PhotoImageDelivery delivery;
            if (path) {
                delivery.image = PhotoImageDecoder::decode(*path, request);
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

#include "media/photos_thumbnail_loader.h"

#include "media/photos_thumbnail_cache.h"
#include "platform/decimal_text.h"
#include "platform/photo_library.h"

#include <QCoreApplication>
#include <QPointer>

#include <cmath>

namespace lumivex {

namespace {

constexpr double progressStep = 0.05;
// Progress values are sums of binary fractions; a step written as 0.05 may land a hair below.
constexpr double progressSlack = 1e-9;

QString flag(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

// Runs `work` on the main thread later. The manager answers on threads of its own, where the
// loader may be going away; the application object outlives every loader, and the guard is only
// read on the main thread.
template <typename Work>
void onMainThread(Work work) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
}

}  // namespace

QString PhotosThumbnailLoader::Request::key() const {
    const QChar nul(u'\0');
    return identifier + nul + DecimalText::shortest(revision) + nul + DecimalText::integer(size) +
           nul + flag(fit) + nul + flag(allowsNetwork()) + nul + QStringLiteral("sharp");
}

PhotosThumbnailLoader::PhotosThumbnailLoader(PhotosThumbnailCache& cache, QObject* parent)
    : QObject(parent), cache_(cache) {}

PhotosThumbnailLoader::~PhotosThumbnailLoader() {
    cancel();
}

void PhotosThumbnailLoader::load(const Request& request) {
    cancel();
    const quint64 generation = generation_;
    request_ = request;
    result_ = PhotosThumbnailResult();
    progress_.reset();
    if (const std::optional<QImage> cached = cache_.images().find(request.key())) {
        result_.image = *cached;
        result_.settled = true;
        Q_EMIT changed();
        return;
    }
    const std::optional<PhotoAsset> asset = cache_.asset(request.identifier);
    PhotoImageManager* manager = cache_.manager();
    if (!asset || manager == nullptr) {
        result_.failed = true;
        Q_EMIT changed();
        return;
    }
    const QPointer<PhotosThumbnailLoader> guard(this);
    auto onResult = [guard, generation](const PhotoImageDelivery& delivery) {
        onMainThread([guard, generation, delivery] {
            if (guard) {
                guard->receive(generation, delivery);
            }
        });
    };
    auto onProgress = [guard, generation](double value) {
        onMainThread([guard, generation, value] {
            if (guard) {
                guard->receiveProgress(generation, value);
            }
        });
    };
    const PhotoImageRequest wanted{request.size, request.fit, request.allowsNetwork(),
                                   request.first};
    inFlight_ = manager->requestImage(*asset, wanted, onResult, onProgress);
    Q_EMIT changed();
}

void PhotosThumbnailLoader::cancel() {
    ++generation_;
    if (inFlight_) {
        if (PhotoImageManager* manager = cache_.manager()) {
            manager->cancelImageRequest(*inFlight_);
        }
        inFlight_.reset();
    }
}

void PhotosThumbnailLoader::unload() {
    cancel();
    result_ = PhotosThumbnailResult();
    progress_.reset();
    Q_EMIT changed();
}

void PhotosThumbnailLoader::receive(quint64 generation, const PhotoImageDelivery& delivery) {
    if (generation != generation_) {
        return;
    }
    if (result_.receive(delivery) && !result_.image.isNull()) {
        cache_.images().insert(request_.key(), result_.image,
                               PhotosThumbnailCache::imageCost(request_.size));
    }
    if (result_.settled) {
        progress_.reset();
        inFlight_.reset();
    }
    Q_EMIT changed();
}

void PhotosThumbnailLoader::receiveProgress(quint64 generation, double value) {
    if (generation != generation_) {
        return;
    }
    if (progress_ && std::abs(value - *progress_) < progressStep - progressSlack && value != 1.0) {
        return;
    }
    progress_ = value;
    Q_EMIT changed();
}

}  // namespace lumivex

#include "media/photos_thumbnail_result.h"

#include "media/photo_image_manager.h"

namespace lumivex {

bool PhotosThumbnailResult::receive(const PhotoImageDelivery& delivery) {
    if (delivery.cancelled) {
        return false;
    }
    if (delivery.degraded) {
        if (!settled && image.isNull()) {
            image = delivery.image;
        }
        return false;
    }
    settled = true;
    if (!delivery.image.isNull() && !delivery.error) {
        image = delivery.image;
        failed = false;
        return true;
    }
    failed = image.isNull();
    return false;
}

}  // namespace lumivex

#pragma once

#include <QImage>

namespace lumivex {

struct PhotoImageDelivery;

// What has arrived for one photo-library image request: the best image so far, whether the
// request ended without one, and whether the final answer has come. Main thread.
struct PhotosThumbnailResult {
    QImage image;  // null while there is none
    bool failed = false;
    bool settled = false;

    // Folds one answer in. A degraded answer is taken only while there is no image and nothing
    // final has come, so it never replaces a better one; a final answer without an image, or with
    // an error, fails the request only when no degraded image is shown. A cancelled answer
    // changes nothing. True only when a final image was accepted, which the caller then caches.
    bool receive(const PhotoImageDelivery& delivery);
};

}  // namespace lumivex

#pragma once

#include "platform/error.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace lumivex {

struct PhotoAsset;

// One image wanted of an asset: a square target box of `pixelSize` pixels, the whole image
// fitted into it or the box filled by it.
struct PhotoImageRequest {
    int pixelSize = 0;
    bool fit = true;
    bool allowNetwork = false;
    // The picture the user opened: answered before the list's thumbnails waiting.
    bool first = false;

    bool operator==(const PhotoImageRequest&) const = default;
};

// One answer to an image request. A request gets any number of degraded answers, then one final
// answer (not degraded), unless it is cancelled, which ends it with one cancelled answer or none.
struct PhotoImageDelivery {
    QImage image;  // null when there is none
    bool degraded = false;
    bool cancelled = false;
    std::optional<Error> error;
};

using PhotoImageRequestId = std::int32_t;

// Makes images of photo-library assets for display. Called on the main thread; the handlers are
// called on threads of the implementation's choosing, so callers re-post to their own thread.
class PhotoImageManager {
public:
    using ResultHandler = std::function<void(const PhotoImageDelivery&)>;
    using ProgressHandler = std::function<void(double)>;  // 0...1, while downloading

    virtual ~PhotoImageManager() = default;

    virtual PhotoImageRequestId requestImage(const PhotoAsset& asset,
                                             const PhotoImageRequest& request,
                                             ResultHandler onResult,
                                             ProgressHandler onProgress) = 0;
    // Unknown or finished requests are ignored.
    virtual void cancelImageRequest(PhotoImageRequestId id) = 0;
};

}  // namespace lumivex

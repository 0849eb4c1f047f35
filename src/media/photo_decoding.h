#pragma once

#include <QImage>

namespace lumivex {

// Which picture of a file a photo decode used: the whole image, a smaller picture the file
// carries for quick display (a HEIF thumbnail, a camera's JPEG preview), or a raw sensor image
// developed at reduced size.
enum class DecodeRoute { none, wholeImage, embeddedPreview, reducedRaw };

// A photo decode's picture (null when none could be made) and the route that made it, so callers
// can tell the fast path from the slow one.
struct PhotoDecoding {
    QImage image;
    DecodeRoute route = DecodeRoute::none;
};

// Whether a picture of `width` by `height` pixels at `bytesPerPixel` stays within the allocation
// limit every image reader of the process obeys (QImageReader::allocationLimit), so that a file
// declaring an absurd size is refused before anything is allocated.
bool withinImageLimit(qint64 width, qint64 height, int bytesPerPixel);

}  // namespace lumivex

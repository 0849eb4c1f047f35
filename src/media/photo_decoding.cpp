#include "media/photo_decoding.h"

#include <QImageReader>

namespace lumivex {

bool withinImageLimit(qint64 width, qint64 height, int bytesPerPixel) {
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535) {
        return false;
    }
    const int megabytes = QImageReader::allocationLimit();
    if (megabytes <= 0) {
        return true;  // no limit set
    }
    return width * height * bytesPerPixel <= qint64(megabytes) * 1024 * 1024;
}

}  // namespace lumivex

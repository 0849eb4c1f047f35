#include "media/photo_image_decoder.h"

#include "media/photo_image_manager.h"

#include <QImageReader>

#include <algorithm>
#include <cmath>

namespace lumivex::PhotoImageDecoder {

namespace {

// The box is square, so the scale is the same before and after a quarter turn.
QSize scaledSize(const QSize& original, const PhotoImageRequest& request) {
    const double across = static_cast<double>(request.pixelSize) / original.width();
    const double down = static_cast<double>(request.pixelSize) / original.height();
    const double scale =
        std::min(1.0, request.fit ? std::min(across, down) : std::max(across, down));
    return {std::max(1, static_cast<int>(std::lround(original.width() * scale))),
            std::max(1, static_cast<int>(std::lround(original.height() * scale)))};
}

}  // namespace

QImage decode(const QString& path, const PhotoImageRequest& request) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize original = reader.size();
    if (request.pixelSize > 0 && original.isValid() && !original.isEmpty()) {
        reader.setScaledSize(scaledSize(original, request));
    }
    return reader.read();
}

}  // namespace lumivex::PhotoImageDecoder

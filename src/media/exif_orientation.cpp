#include "media/exif_orientation.h"

#include "model/exiv2_file_source.h"
#include "model/exiv2_process.h"
#include "platform/error.h"
#include "platform/read_only_file.h"

#include <QTransform>

#include <exiv2/exiv2.hpp>

namespace lumivex::ExifOrientation {

int ofFile(const QString& path) {
    Exiv2Process::prepare();
    try {
        const ReadOnlyFile file(path);
        const Exiv2::Image::AutoPtr image =
            Exiv2::ImageFactory::open(Exiv2::BasicIo::AutoPtr(new Exiv2FileSource(file)));
        if (image.get() == nullptr) {
            return 1;
        }
        image->readMetadata();
        const Exiv2::ExifData& exif = image->exifData();
        const auto found = Exiv2::orientation(exif);
        if (found == exif.end() || found->count() == 0) {
            return 1;
        }
        const long value = found->toLong();
        return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    } catch (const Error&) {
        return 1;
    } catch (const std::exception&) {
        return 1;
    }
}

// Mirrored first, then turned a quarter clockwise where the orientation has a quarter turn, the
// order in which Qt's own readers apply it.
QImage apply(QImage image, int orientation) {
    if (orientation < 2 || orientation > 8) {
        return image;
    }
    const bool horizontal = orientation == 2 || orientation == 3 || orientation == 7;
    const bool vertical = orientation == 3 || orientation == 4 || orientation == 5;
    const bool quarter = orientation >= 5;
    if (orientation == 8) {
        return image.transformed(QTransform().rotate(270));
    }
    if (horizontal || vertical) {
        image = std::move(image).mirrored(horizontal, vertical);
    }
    if (quarter) {
        image = image.transformed(QTransform().rotate(90));
    }
    return image;
}

}  // namespace lumivex::ExifOrientation

#pragma once

#include <QImage>
#include <QString>

namespace lumivex {

// The EXIF orientation of pictures whose decoder does not apply it: camera previews taken out of
// raw files, and formats whose Qt reader ignores their EXIF block (WebP). Thread-safe.
namespace ExifOrientation {

// The orientation (1 to 8) stored in the file's EXIF block; 1 when there is none or the file
// cannot be read.
int ofFile(const QString& path);

// `image` turned and mirrored so that it shows upright, as EXIF orientation `orientation` says;
// values outside 2 to 8 leave it as it is.
QImage apply(QImage image, int orientation);

}  // namespace ExifOrientation
}  // namespace lumivex

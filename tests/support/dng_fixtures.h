#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <optional>
#include <string>

// Camera raw files for tests: small DNGs written byte by byte, as a camera's converter lays them
// out. IFD0 holds the JPEG preview (when there is one) with the orientation and the camera's
// names, a sub-IFD the 16-bit colour-filter mosaic, the EXIF IFD the capture date.
namespace lumivex::test {

struct DngPicture {
    QImage preview = {};      // stored as a JPEG; none when null
    int orientation = 1;      // EXIF numbering
    QSize sensor = {64, 48};  // the mosaic's size; its left half is bright, its right half dark
    bool linear = false;      // three samples a pixel (LinearRaw) instead of the mosaic
    std::optional<std::string> original = std::nullopt;  // DateTimeOriginal
    std::optional<std::string> originalOffset = std::nullopt;
};

QByteArray dng(const DngPicture& picture);

}  // namespace lumivex::test

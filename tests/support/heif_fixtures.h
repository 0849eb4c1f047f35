#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// HEIF files for tests, encoded on the spot through libheif. Failures throw.
namespace lumivex::test {

struct HeifPicture {
    QImage image;
    bool av1 = false;       // AVIF instead of HEVC
    int orientation = 1;    // EXIF numbering, stored as the file's rotation and mirroring
    int thumbnailSize = 0;  // the longer side of an embedded thumbnail; 0 for none
    QByteArray exif = {};   // an EXIF block (TIFF header first) attached to the primary image
};

// Whether this machine's libheif can encode HEVC (or AV1).
bool canEncodeHeif(bool av1);
// The picture encoded as a HEIF file.
QByteArray heif(const HeifPicture& picture);
// An EXIF block holding DateTimeOriginal (and OffsetTimeOriginal when not empty).
QByteArray exifBlock(const std::string& original, const std::string& offset);

}  // namespace lumivex::test

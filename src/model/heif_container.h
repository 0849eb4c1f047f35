#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace lumivex {

class ReadOnlyFile;

// HEIF files (HEIC from phones, AVIF) as libheif reads them: recognised by their first bytes, and
// the EXIF block of their primary image, which the capture-date reader needs. Thread-safe.
namespace HeifContainer {

// Whether a file's first bytes (at least 12) say it is a HEIF image libheif can read.
bool recognizes(QByteArrayView head);

// The EXIF block (TIFF header first) of the file's primary image; none when the file has none or
// cannot be read. Reads the boxes and the block only, never the pictures.
std::optional<QByteArray> exif(const ReadOnlyFile& file);

}  // namespace HeifContainer
}  // namespace lumivex

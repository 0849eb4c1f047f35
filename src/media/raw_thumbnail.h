#pragma once

#include "media/photo_decoding.h"
#include "media/thumbnail_scaling.h"

#include <QString>

#include <atomic>

namespace lumivex {

// Thumbnails of camera raw files (CR2, CR3, NEF, ARW, RAF, ORF, RW2, DNG and the other formats
// the desktop's MIME database counts as raw), on whichever thread calls. Culling works from the
// previews cameras embed: the smallest embedded preview that is large enough is decoded, its EXIF
// orientation applied; only a file without one is developed from its sensor data, at half size.
namespace RawThumbnail {

// Whether the file's name marks it as a camera raw file.
bool handles(const QString& path);

// The picture shrunk to meet a square of `size` pixels, upright. Preview sources in order: the
// previews Exiv2 finds, then LibRaw's own thumbnail (formats Exiv2 cannot preview), then LibRaw
// developing the sensor data at half size, and last the largest preview even when too small.
// A file that cannot be read, sensor data beyond the allocation limit or a set `cancelled` gives
// no image.
PhotoDecoding decode(const QString& path, int size, const std::atomic<bool>& cancelled,
                     ThumbnailScaling scaling);

}  // namespace RawThumbnail
}  // namespace lumivex

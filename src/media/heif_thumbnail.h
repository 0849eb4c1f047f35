#pragma once

#include "media/photo_decoding.h"
#include "media/thumbnail_scaling.h"

#include <QByteArrayView>
#include <QString>

#include <atomic>

namespace lumivex {

// Thumbnails of HEIF files (HEIC from phones, AVIF) through libheif, on whichever thread calls;
// HeifContainer::recognizes tells such files.
namespace HeifThumbnail {

// The picture shrunk to meet a square of `size` pixels, its stored rotation and mirroring
// applied. A thumbnail the file carries is used when it is at least as large as the result;
// otherwise the primary image is decoded (libheif decodes only at full size) and shrunk. A file
// that cannot be read, an image beyond the allocation limit or a set `cancelled` gives no image.
PhotoDecoding decode(const QString& path, int size, const std::atomic<bool>& cancelled,
                     ThumbnailScaling scaling);
// The same for a file's bytes held in memory, which must outlive the call.
PhotoDecoding decodeBytes(QByteArrayView bytes, int size, const std::atomic<bool>& cancelled,
                          ThumbnailScaling scaling);

}  // namespace HeifThumbnail
}  // namespace lumivex

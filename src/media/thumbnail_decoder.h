#pragma once

#include "media/photo_decoding.h"
#include "media/thumbnail_scaling.h"
#include "model/library.h"

#include <QImage>
#include <QString>

class QIODevice;

#include <atomic>
#include <optional>

namespace lumivex {

// What a thumbnail decode reads: the file, how to read it, and the square box it meets.
struct ThumbnailSource {
    QString path;
    MediaKind kind = MediaKind::photo;
    std::optional<double> duration;  // seconds; steers which video frame is taken
    int size = 0;
    ThumbnailScaling scaling = ThumbnailScaling::fit;

    bool operator==(const ThumbnailSource&) const = default;
};

// Thumbnails made from media files, on whichever thread calls; nothing here touches the main
// thread. Every decode returns a null image when the file cannot be read or when `cancelled` is
// set before it finishes.
namespace ThumbnailDecoder {

// The photo shrunk to fit a square of `size` pixels (or to cover it), orientation applied, and
// the route taken: HEIF through libheif (its own thumbnail when large enough), camera raw files
// from their embedded previews, every other format through Qt's readers.
PhotoDecoding decodePhoto(const QString& path, int size, const std::atomic<bool>& cancelled,
                          ThumbnailScaling scaling = ThumbnailScaling::fit);

// The picture of `decodePhoto`. Formats that can decode at a reduced scale (JPEG, the JPEG
// previews of raw files) never decode the full image; the reader's allocation limit refuses
// images whose declared size is absurd, in every format.
QImage photo(const QString& path, int size, const std::atomic<bool>& cancelled,
             ThumbnailScaling scaling = ThumbnailScaling::fit);
// The same for image bytes read from `device`, through Qt's readers only.
QImage photo(QIODevice* device, int size, const std::atomic<bool>& cancelled,
             ThumbnailScaling scaling = ThumbnailScaling::fit);

// A photo or one frame of a video, as the source's kind says.
QImage decode(const ThumbnailSource& source, const std::atomic<bool>& cancelled);

}  // namespace ThumbnailDecoder
}  // namespace lumivex

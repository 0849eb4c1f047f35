#include "media/thumbnail_decoder.h"

#include "media/video_frame.h"

#include <QImageReader>

namespace lumivex::ThumbnailDecoder {

namespace {

// The stored size shrunk to fit a square of `size`, never enlarged. A 90 degree orientation swaps
// the sides but keeps the longer one, so the box is the same before and after the transform.
QSize reducedSize(QSize stored, int size) {
    if (stored.width() <= size && stored.height() <= size) {
        return stored;
    }
    QSize reduced = stored.scaled(size, size, Qt::KeepAspectRatio);
    return reduced.expandedTo(QSize(1, 1));
}

QImage read(QImageReader& reader, int size, const std::atomic<bool>& cancelled) {
    if (size <= 0 || cancelled.load()) {
        return {};
    }
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (stored.isValid() && !stored.isEmpty()) {
        reader.setScaledSize(reducedSize(stored, size));
    }
    QImage image = reader.read();
    if (image.isNull() || cancelled.load()) {
        return {};
    }
    // A reader that could not tell its size beforehand decoded at full size; shrink afterwards.
    if (image.width() > size || image.height() > size) {
        image = image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    return image;
}

}  // namespace

QImage photo(const QString& path, int size, const std::atomic<bool>& cancelled) {
    QImageReader reader(path);
    return read(reader, size, cancelled);
}

QImage photo(QIODevice* device, int size, const std::atomic<bool>& cancelled) {
    QImageReader reader(device);
    return read(reader, size, cancelled);
}

QImage decode(const ThumbnailSource& source, const std::atomic<bool>& cancelled) {
    if (source.kind == MediaKind::video) {
        return VideoFrame::grab(source.path, VideoFrame::frameTime(source.duration), source.size,
                                cancelled);
    }
    return photo(source.path, source.size, cancelled);
}

}  // namespace lumivex::ThumbnailDecoder

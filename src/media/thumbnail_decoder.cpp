#include "media/thumbnail_decoder.h"

#include "media/exif_orientation.h"
#include "media/heif_thumbnail.h"
#include "media/raw_thumbnail.h"
#include "media/video_frame.h"
#include "model/heif_container.h"

#include <QFile>
#include <QImageReader>

namespace lumivex::ThumbnailDecoder {

namespace {

// `path` names the file the reader reads, when it reads one: its EXIF orientation is applied here
// when the format's reader leaves it alone.
QImage read(QImageReader& reader, int size, const std::atomic<bool>& cancelled,
            ThumbnailScaling scaling, const QString& path = {}) {
    if (size <= 0 || cancelled.load()) {
        return {};
    }
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (stored.isValid() && !stored.isEmpty()) {
        reader.setScaledSize(reducedSize(stored, size, scaling));
    }
    QImage image = reader.read();
    if (image.isNull() || cancelled.load()) {
        return {};
    }
    if (!path.isEmpty() && !reader.supportsOption(QImageIOHandler::ImageTransformation)) {
        image = ExifOrientation::apply(std::move(image), ExifOrientation::ofFile(path));
    }
    // A reader that could not tell its size beforehand decoded at full size; shrink afterwards.
    const QSize wanted = reducedSize(image.size(), size, scaling);
    if (wanted != image.size()) {
        image = image.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return image;
}

// Enough of a file's start for libheif to find its brands.
QByteArray head(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.read(256);
}

}  // namespace

PhotoDecoding decodePhoto(const QString& path, int size, const std::atomic<bool>& cancelled,
                          ThumbnailScaling scaling) {
    if (size <= 0 || cancelled.load()) {
        return {};
    }
    // By content, not by name: phones save HEIC under ".jpg" names too.
    if (HeifContainer::recognizes(head(path))) {
        return HeifThumbnail::decode(path, size, cancelled, scaling);
    }
    if (RawThumbnail::handles(path)) {
        return RawThumbnail::decode(path, size, cancelled, scaling);
    }
    QImageReader reader(path);
    QImage image = read(reader, size, cancelled, scaling, path);
    const DecodeRoute route = image.isNull() ? DecodeRoute::none : DecodeRoute::wholeImage;
    return {std::move(image), route};
}

QImage photo(const QString& path, int size, const std::atomic<bool>& cancelled,
             ThumbnailScaling scaling) {
    return decodePhoto(path, size, cancelled, scaling).image;
}

QImage photo(QIODevice* device, int size, const std::atomic<bool>& cancelled,
             ThumbnailScaling scaling) {
    QImageReader reader(device);
    return read(reader, size, cancelled, scaling);
}

QImage decode(const ThumbnailSource& source, const std::atomic<bool>& cancelled) {
    if (source.kind == MediaKind::video) {
        return VideoFrame::grab(source.path, VideoFrame::frameTime(source.duration), source.size,
                                cancelled, source.scaling);
    }
    return photo(source.path, source.size, cancelled, source.scaling);
}

}  // namespace lumivex::ThumbnailDecoder

#include "media/raw_thumbnail.h"

#include "media/exif_orientation.h"
#include "model/exiv2_file_source.h"
#include "model/exiv2_process.h"
#include "platform/error.h"
#include "platform/read_only_file.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QMimeDatabase>

#include <libraw/libraw.h>
#include <exiv2/exiv2.hpp>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace lumivex::RawThumbnail {

namespace {

bool covers(QSize picture, int size, ThumbnailScaling scaling) {
    const int side = scaling == ThumbnailScaling::fit ? std::max(picture.width(), picture.height())
                                                      : std::min(picture.width(), picture.height());
    return side >= size;
}

// One preview's bytes out of the file, and the file's orientation.
struct ChosenPreview {
    QByteArray bytes;
    int orientation = 1;
    bool anyPreview = false;  // whether the file has previews at all, chosen or not
};

// `choose` gets the previews' sizes, smallest first, and gives the index of the one to read, or
// -1; only that preview's bytes are copied out of the file.
using PreviewChoice = std::function<int(const std::vector<QSize>&)>;

ChosenPreview embeddedPreview(const QString& path, const PreviewChoice& choose) {
    Exiv2Process::prepare();
    ChosenPreview chosen;
    try {
        const ReadOnlyFile file(path);
        const Exiv2::Image::AutoPtr image =
            Exiv2::ImageFactory::open(Exiv2::BasicIo::AutoPtr(new Exiv2FileSource(file)));
        if (image.get() == nullptr) {
            return chosen;
        }
        image->readMetadata();
        const Exiv2::ExifData& exif = image->exifData();
        const auto orientation = Exiv2::orientation(exif);
        if (orientation != exif.end() && orientation->count() > 0) {
            chosen.orientation = static_cast<int>(orientation->toLong());
        }
        const Exiv2::PreviewManager manager(*image);
        const Exiv2::PreviewPropertiesList list = manager.getPreviewProperties();
        std::vector<QSize> sizes;
        for (const Exiv2::PreviewProperties& properties : list) {
            sizes.emplace_back(static_cast<int>(properties.width_),
                               static_cast<int>(properties.height_));
        }
        chosen.anyPreview = !list.empty();
        const int index = choose(sizes);
        if (index >= 0 && index < static_cast<int>(list.size())) {
            const Exiv2::PreviewImage preview =
                manager.getPreviewImage(list[static_cast<std::size_t>(index)]);
            chosen.bytes = QByteArray(reinterpret_cast<const char*>(preview.pData()),
                                      static_cast<qsizetype>(preview.size()));
        }
    } catch (const Error&) {
    } catch (const std::exception&) {
    }
    return chosen;
}

// Exiv2 hands a DNG's JPEG preview over wrapped in a TIFF of one strip, which Qt's TIFF reader
// would decode at full size; the JPEG inside decodes at reduced scale.
std::optional<QByteArray> jpegInsideTiff(const QByteArray& bytes) {
    if (!bytes.startsWith("II*") && !bytes.startsWith(QByteArrayView("MM\0*", 4))) {
        return std::nullopt;
    }
    try {
        Exiv2::ExifData exif;
        Exiv2::ExifParser::decode(exif, reinterpret_cast<const Exiv2::byte*>(bytes.constData()),
                                  static_cast<std::uint32_t>(bytes.size()));
        const auto compression = exif.findKey(Exiv2::ExifKey("Exif.Image.Compression"));
        const auto offsets = exif.findKey(Exiv2::ExifKey("Exif.Image.StripOffsets"));
        const auto counts = exif.findKey(Exiv2::ExifKey("Exif.Image.StripByteCounts"));
        if (compression == exif.end() || offsets == exif.end() || counts == exif.end() ||
            offsets->count() != 1 || counts->count() != 1) {
            return std::nullopt;
        }
        const long scheme = compression->toLong();
        const long offset = offsets->toLong();
        const long count = counts->toLong();
        if ((scheme != 6 && scheme != 7) || offset < 0 || count <= 0 ||
            offset > bytes.size() - count) {
            return std::nullopt;
        }
        QByteArray jpeg = bytes.mid(offset, count);
        if (!jpeg.startsWith("\xff\xd8")) {
            return std::nullopt;
        }
        return jpeg;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// A preview's bytes decoded at the size wanted, turned upright by the raw file's orientation
// (the preview's own EXIF, when it has any, is the converter's and is not trusted).
QImage decodePreview(const QByteArray& bytes, int orientation, int size, ThumbnailScaling scaling) {
    QByteArray data = jpegInsideTiff(bytes).value_or(bytes);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    const QSize stored = reader.size();
    if (stored.isValid() && !stored.isEmpty()) {
        reader.setScaledSize(reducedSize(stored, size, scaling));
    }
    QImage image = reader.read();
    if (image.isNull()) {
        return {};
    }
    image = ExifOrientation::apply(std::move(image), orientation);
    const QSize wanted = reducedSize(image.size(), size, scaling);
    if (wanted != image.size()) {
        image = image.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return image;
}

// LibRaw's quarter turns (its "flip") in EXIF numbering.
int orientationOfFlip(int flip) {
    switch (flip) {
        case 3:
            return 3;
        case 5:
            return 8;
        case 6:
            return 6;
        default:
            return 1;
    }
}

// LibRaw's default reports every damaged file on standard error.
void ignoreDataError(void*, const char*, const int) {}

int stopWhenCancelled(void* cancelled, LibRaw_progress, int, int) {
    return static_cast<const std::atomic<bool>*>(cancelled)->load() ? 1 : 0;
}

struct ProcessedDeleter {
    void operator()(libraw_processed_image_t* image) const { LibRaw::dcraw_clear_mem(image); }
};
using Processed = std::unique_ptr<libraw_processed_image_t, ProcessedDeleter>;

QImage bitmapOf(const libraw_processed_image_t& processed) {
    if (processed.type != LIBRAW_IMAGE_BITMAP || processed.colors != 3 || processed.bits != 8) {
        return {};
    }
    const QImage view(processed.data, processed.width, processed.height, processed.width * 3,
                      QImage::Format_RGB888);
    return view.copy();  // the view borrows LibRaw's buffer, freed on return
}

// LibRaw's own thumbnail when it is large enough, else the sensor data developed at half size
// (LibRaw applies the orientation to the developed picture itself).
PhotoDecoding decodeWithLibRaw(const QString& path, int size, const std::atomic<bool>& cancelled,
                               ThumbnailScaling scaling) {
    auto raw = std::make_unique<LibRaw>();
    raw->set_dataerror_handler(ignoreDataError, nullptr);
    if (raw->open_file(QFile::encodeName(path).constData()) != LIBRAW_SUCCESS) {
        return {};
    }
    const libraw_thumbnail_t& thumbnail = raw->imgdata.thumbnail;
    if (thumbnail.tformat == LIBRAW_THUMBNAIL_JPEG &&
        covers(QSize(thumbnail.twidth, thumbnail.theight), size, scaling) &&
        raw->unpack_thumb() == LIBRAW_SUCCESS && thumbnail.thumb != nullptr) {
        const QByteArray bytes =
            QByteArray::fromRawData(thumbnail.thumb, static_cast<qsizetype>(thumbnail.tlength));
        QImage image =
            decodePreview(bytes, orientationOfFlip(raw->imgdata.sizes.flip), size, scaling);
        if (!image.isNull()) {
            return {std::move(image), DecodeRoute::embeddedPreview};
        }
    }
    // A colour-filter mosaic is held at two bytes a pixel and develops at half size to as much;
    // sensor data of whole pixels (linear DNG) is held and developed at eight bytes a pixel.
    const libraw_image_sizes_t& sizes = raw->imgdata.sizes;
    const int bytesPerPixel = raw->imgdata.idata.filters != 0 ? 2 : 8;
    if (!withinImageLimit(sizes.raw_width, sizes.raw_height, bytesPerPixel) || cancelled.load()) {
        return {};
    }
    raw->imgdata.params.half_size = 1;
    raw->imgdata.params.use_camera_wb = 1;
    raw->set_progress_handler(stopWhenCancelled, const_cast<std::atomic<bool>*>(&cancelled));
    if (raw->unpack() != LIBRAW_SUCCESS || raw->dcraw_process() != LIBRAW_SUCCESS) {
        return {};
    }
    int error = LIBRAW_SUCCESS;
    const Processed processed(raw->dcraw_make_mem_image(&error));
    if (!processed || error != LIBRAW_SUCCESS) {
        return {};
    }
    QImage image = bitmapOf(*processed);
    const QSize wanted = reducedSize(image.size(), size, scaling);
    if (!image.isNull() && wanted != image.size()) {
        image = image.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    const DecodeRoute route = image.isNull() ? DecodeRoute::none : DecodeRoute::reducedRaw;
    return {std::move(image), route};
}

bool rawExtension(const QString& suffix) {
    const QMimeType type = QMimeDatabase().mimeTypeForFile(QStringLiteral("file.") + suffix,
                                                           QMimeDatabase::MatchExtension);
    return type.inherits(QStringLiteral("image/x-dcraw"));
}

}  // namespace

bool handles(const QString& path) {
    static std::mutex mutex;
    static QHash<QString, bool> answers;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix.isEmpty()) {
        return false;
    }
    std::lock_guard lock(mutex);
    const auto found = answers.constFind(suffix);
    if (found != answers.cend()) {
        return *found;
    }
    const bool raw = rawExtension(suffix);
    answers.insert(suffix, raw);
    return raw;
}

PhotoDecoding decode(const QString& path, int size, const std::atomic<bool>& cancelled,
                     ThumbnailScaling scaling) {
    if (size <= 0 || cancelled.load()) {
        return {};
    }
    const ChosenPreview covering = embeddedPreview(path, [&](const std::vector<QSize>& sizes) {
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            if (covers(sizes[i], size, scaling)) {
                return static_cast<int>(i);
            }
        }
        return -1;
    });
    if (!covering.bytes.isEmpty()) {
        QImage image = decodePreview(covering.bytes, covering.orientation, size, scaling);
        if (!image.isNull() && !cancelled.load()) {
            return {std::move(image), DecodeRoute::embeddedPreview};
        }
    }
    if (cancelled.load()) {
        return {};
    }
    PhotoDecoding developed = decodeWithLibRaw(path, size, cancelled, scaling);
    if (cancelled.load()) {
        return {};
    }
    if (!developed.image.isNull() || !covering.anyPreview) {
        return developed;
    }
    // Better a small preview shown large than a grey card.
    const ChosenPreview largest = embeddedPreview(
        path, [](const std::vector<QSize>& sizes) { return static_cast<int>(sizes.size()) - 1; });
    QImage image = decodePreview(largest.bytes, largest.orientation, size, scaling);
    if (image.isNull()) {
        return {};
    }
    return {std::move(image), DecodeRoute::embeddedPreview};
}

}  // namespace lumivex::RawThumbnail

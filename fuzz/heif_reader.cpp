// Reads arbitrary bytes as a HEIF file, as phone photos from anywhere are read: its thumbnail
// through libheif, and its capture date from the EXIF item. The thumbnail is nothing or fits the
// size asked for; a declared size beyond the allocation limit is refused instead of allocated.
#include "media/heif_thumbnail.h"
#include "model/capture_date_reader.h"

#include <QDir>
#include <QFile>
#include <QImageReader>

#include <unistd.h>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString path = [] {
        QImageReader::setAllocationLimit(64);
        return QDir::temp().filePath(QStringLiteral("lumivex-fuzz-%1.heic").arg(getpid()));
    }();
    const QByteArrayView bytes(data, static_cast<qsizetype>(size));
    const std::atomic<bool> goOn{false};
    const QImage thumbnail =
        lumivex::HeifThumbnail::decodeBytes(bytes, 96, goOn, lumivex::ThumbnailScaling::fit).image;
    if (!thumbnail.isNull() && (thumbnail.width() > 96 || thumbnail.height() > 96)) {
        std::abort();
    }
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(bytes.data(), bytes.size());
        file.close();
        (void)lumivex::CaptureDateReader::imageDate(path);
    }
    return 0;
}

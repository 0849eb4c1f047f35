// Reads arbitrary bytes as a camera raw file: its thumbnail (embedded previews through Exiv2,
// else LibRaw) and its capture date. The thumbnail is nothing or fits the size asked for; sensor
// data beyond the allocation limit is refused instead of developed.
#include "media/thumbnail_decoder.h"
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
        return QDir::temp().filePath(QStringLiteral("lumivex-fuzz-%1.dng").arg(getpid()));
    }();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return 0;
    }
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();
    const std::atomic<bool> goOn{false};
    const QImage thumbnail = lumivex::ThumbnailDecoder::photo(path, 96, goOn);
    if (!thumbnail.isNull() && (thumbnail.width() > 96 || thumbnail.height() > 96)) {
        std::abort();
    }
    (void)lumivex::CaptureDateReader::imageDate(path);
    return 0;
}

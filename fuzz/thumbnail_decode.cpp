// Decodes arbitrary bytes as a picture for a thumbnail, as files from anywhere are decoded. The
// result is nothing or fits the size asked for; a declared size beyond the allocation limit is
// refused instead of allocated.
#include "media/thumbnail_decoder.h"

#include <QBuffer>
#include <QImageReader>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool limited = [] {
        QImageReader::setAllocationLimit(64);
        return true;
    }();
    (void)limited;
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const std::atomic<bool> goOn{false};
    const QImage thumbnail = lumivex::ThumbnailDecoder::photo(&buffer, 96, goOn);
    if (!thumbnail.isNull() && (thumbnail.width() > 96 || thumbnail.height() > 96)) {
        std::abort();
    }
    return 0;
}

#include "model/png_text.h"

#include "platform/read_only_file.h"
#include "platform/utf8.h"

#include <QByteArray>
#include <QtEndian>

namespace lumivex::PngText {

namespace {

const QByteArray signature = QByteArrayLiteral("\x89PNG\r\n\x1a\n");
const QByteArray keyword = QByteArrayLiteral("Creation Time");

// A date text is a few dozen bytes; a larger chunk is not one, and compressed text beyond this
// could inflate without bound.
constexpr qint64 maximumChunkSize = 4096;

std::optional<QByteArray> inflated(QByteArrayView compressed) {
    // qUncompress wants the zlib stream behind a big-endian size hint; it grows past the hint.
    QByteArray framed(4, '\0');
    qToBigEndian<quint32>(static_cast<quint32>(maximumChunkSize), framed.data());
    framed.append(compressed.data(), compressed.size());
    QByteArray result = qUncompress(framed);
    if (result.isEmpty() && !compressed.isEmpty()) {
        return std::nullopt;
    }
    return result;
}

// `body` is a chunk's data after the keyword and its terminating zero.
std::optional<QString> decodedText(QByteArrayView type, QByteArrayView body) {
    if (type == "tEXt") {
        return QString::fromLatin1(body);
    }
    if (type == "zTXt") {
        if (body.isEmpty() || body[0] != '\0') {
            return std::nullopt;
        }
        const std::optional<QByteArray> text = inflated(body.sliced(1));
        return text ? std::optional(QString::fromLatin1(*text)) : std::nullopt;
    }
    // iTXt: compression flag, method, language tag, translated keyword, then UTF-8 text.
    if (body.size() < 2 || body[1] != '\0') {
        return std::nullopt;
    }
    const bool compressed = body[0] == '\1';
    QByteArrayView rest = body.sliced(2);
    for (int field = 0; field < 2; ++field) {
        const qsizetype end = rest.indexOf('\0');
        if (end < 0) {
            return std::nullopt;
        }
        rest = rest.sliced(end + 1);
    }
    const std::optional<QByteArray> text = compressed ? inflated(rest) : rest.toByteArray();
    return text ? Utf8::decode(*text) : std::nullopt;
}

bool isTextChunk(QByteArrayView type) {
    return type == "tEXt" || type == "zTXt" || type == "iTXt";
}

}  // namespace

std::optional<QString> creationTime(const ReadOnlyFile& file) {
    auto readAt = [&file](std::int64_t offset, std::int64_t count) {
        QByteArray bytes(count, Qt::Uninitialized);
        bytes.truncate(file.read(offset, bytes.data(), count));
        return bytes;
    };
    if (readAt(0, signature.size()) != signature) {
        return std::nullopt;
    }
    const QByteArray prefix = keyword + '\0';
    // Past the end of the file a header reads short, which ends the walk.
    for (std::int64_t at = signature.size();;) {
        const QByteArray header = readAt(at, 8);
        if (header.size() != 8) {
            return std::nullopt;
        }
        const qint64 length = qFromBigEndian<quint32>(header.constData());
        const QByteArrayView type = QByteArrayView(header).sliced(4);
        if (type == "IEND" || length > 0x7fffffff) {
            return std::nullopt;
        }
        at += 8;
        if (isTextChunk(type) && length <= maximumChunkSize && length >= prefix.size() &&
            readAt(at, prefix.size()) == prefix) {
            const QByteArray body = readAt(at + prefix.size(), length - prefix.size());
            if (std::optional<QString> text = decodedText(type, body)) {
                return text;
            }
        }
        at += length + 4;  // the data, then its CRC
    }
}

}  // namespace lumivex::PngText

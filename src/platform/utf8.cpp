#include "platform/utf8.h"

#include <QStringDecoder>

namespace lumivex::Utf8 {

bool isValid(const char* bytes, qsizetype size) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    qsizetype i = 0;
    while (i < size) {
        const unsigned char lead = p[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        unsigned int min = 0;
        unsigned int codePoint = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2, min = 0x80, codePoint = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, min = 0x800, codePoint = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, min = 0x10000, codePoint = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > size) {
            return false;
        }
        for (int k = 1; k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) {
                return false;
            }
            codePoint = (codePoint << 6) | (p[i + k] & 0x3F);
        }
        if (codePoint < min || codePoint > 0x10FFFF ||
            (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

std::optional<QString> decode(const QByteArray& bytes) {
    if (!isValid(bytes.constData(), bytes.size())) {
        return std::nullopt;
    }
    return decodeValid(bytes);
}

QString decodeValid(QByteArrayView bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

}  // namespace lumivex::Utf8

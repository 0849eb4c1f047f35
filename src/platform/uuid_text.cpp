#include "platform/uuid_text.h"

#include <cstdint>

namespace lumivex::UuidText {

namespace {

char16_t* appendHex(char16_t* out, std::uint64_t value, int digits) {
    static constexpr char16_t hex[] = u"0123456789ABCDEF";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
        *out++ = hex[(value >> shift) & 0xF];
    }
    return out;
}

}  // namespace

// Written digit by digit, with no intermediate text: every row of every catalog written holds
// one.
QString upper(const QUuid& id) {
    QString text(36, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    out = appendHex(out, id.data1, 8);
    *out++ = u'-';
    out = appendHex(out, id.data2, 4);
    *out++ = u'-';
    out = appendHex(out, id.data3, 4);
    *out++ = u'-';
    for (int i = 0; i < 8; ++i) {
        if (i == 2) {
            *out++ = u'-';
        }
        out = appendHex(out, id.data4[i], 2);
    }
    return text;
}

std::optional<QUuid> parse(QStringView text) {
    if (text.size() != 36) {
        return std::nullopt;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const bool hyphenPlace = i == 8 || i == 13 || i == 18 || i == 23;
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (hyphenPlace ? c != '-' : !hex) {
            return std::nullopt;
        }
    }
    return QUuid::fromString(text);
}

}  // namespace lumivex::UuidText

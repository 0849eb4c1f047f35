#include "app/lumivex_version.h"

#include <QStringList>

#include <charconv>
#include <system_error>

namespace lumivex {

namespace {

// Only the ASCII digits count: no sign, no space and no other script's numerals.
std::optional<std::int64_t> number(QStringView piece) {
    if (piece.isEmpty()) {
        return std::nullopt;
    }
    QByteArray digits;
    digits.reserve(piece.size());
    for (const QChar c : piece) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        digits.append(static_cast<char>(c.unicode()));
    }
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(digits.begin(), digits.end(), value);
    if (error != std::errc() || end != digits.end()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<LumivexVersion> LumivexVersion::parse(const QString& text) {
    QStringView rest(text);
    if (rest.startsWith(u'v')) {
        rest = rest.mid(1);
    }
    const QList<QStringView> pieces = rest.split(u'.');
    if (pieces.size() != 3) {
        return std::nullopt;
    }
    const auto major = number(pieces[0]);
    const auto minor = number(pieces[1]);
    const auto patch = number(pieces[2]);
    if (!major || !minor || !patch) {
        return std::nullopt;
    }
    return LumivexVersion{*major, *minor, *patch};
}

QString LumivexVersion::description() const {
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(patch);
}

}  // namespace lumivex

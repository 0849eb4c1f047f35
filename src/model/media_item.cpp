#include "model/media_item.h"

#include "platform/decimal_text.h"

#include <algorithm>
#include <cmath>

namespace lumivex {

namespace {

QString twoDigits(double value) {
    return QString::number(value, 'f', 0).rightJustified(2, u'0');
}

}  // namespace

QString rawValue(MediaKind kind) {
    return kind == MediaKind::photo ? QStringLiteral("photo") : QStringLiteral("video");
}

std::optional<MediaKind> mediaKindFromRaw(QStringView raw) {
    if (raw == u"photo") {
        return MediaKind::photo;
    }
    if (raw == u"video") {
        return MediaKind::video;
    }
    return std::nullopt;
}

QString MediaItem::durationText() const {
    // Negative and non-finite lengths only come from hand-edited files; they read as no length.
    if (!duration || !std::isfinite(*duration) || *duration < 0) {
        return kind == MediaKind::photo ? QStringLiteral("사진") : QStringLiteral("—");
    }
    const double wholeSeconds = std::floor(*duration);
    if (wholeSeconds < 9223372036854775808.0) {
        // Exact integer arithmetic wherever the whole seconds fit in 64 bits.
        const auto s = static_cast<std::int64_t>(wholeSeconds);
        const auto digits = [](std::int64_t value) { return DecimalText::integer(value); };
        const auto twoDigits = [](std::int64_t value) {
            return DecimalText::integer(value).rightJustified(2, u'0');
        };
        if (s < 3600) {
            return digits(s / 60) + u':' + twoDigits(s % 60);
        }
        return digits(s / 3600) + u':' + twoDigits(s / 60 % 60) + u':' + twoDigits(s % 60);
    }
    // Beyond 64 bits no real file has this length; doubles give a readable text and never trap.
    const double minutes = std::floor(wholeSeconds / 60);
    return QString::number(std::floor(wholeSeconds / 3600), 'f', 0) + u':' +
           twoDigits(std::fmod(minutes, 60)) + u':' + twoDigits(std::fmod(wholeSeconds, 60));
}

QString MediaItem::folder() const {
    const qsizetype slash = filename.lastIndexOf(u'/');
    return slash < 0 ? QString() : filename.left(slash);
}

bool MediaItem::isUnclassified() const {
    return std::all_of(labels.begin(), labels.end(),
                       [](const auto& entry) { return entry.second.isEmpty(); });
}

}  // namespace lumivex

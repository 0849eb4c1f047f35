#include "model/video_duration_range.h"

#include "model/video_duration_input_error.h"
#include "platform/decimal_text.h"
#include "platform/error.h"
#include "platform/text_order.h"

#include <cmath>
#include <cstdint>

namespace lumivex {

namespace {

// A whole number as "%.0f" writes it, without going through the user's locale.
QString wholeText(double value) {
    if (std::isnan(value)) {
        return QStringLiteral("nan");
    }
    if (std::isinf(value)) {
        return value > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    }
    if (std::fabs(value) < 9.2e18) {
        return DecimalText::integer(static_cast<std::int64_t>(value));
    }
    return QString::number(value, 'f', 0);
}

QString timeText(double seconds) {
    const double rounded = std::round(seconds);
    const QString minutes = wholeText(std::floor(rounded / 60));
    const QString rest = wholeText(std::fmod(rounded, 60));
    if (minutes == u"0") {
        return rest + QStringLiteral("초");
    }
    if (rest == u"0") {
        return minutes + QStringLiteral("분");
    }
    return minutes + QStringLiteral("분 ") + rest + QStringLiteral("초");
}

bool isAsciiDigits(const QString& text) {
    for (QChar c : text) {
        if (c < u'0' || c > u'9') {
            return false;
        }
    }
    return true;
}

std::int64_t wholeNumber(const QString& text) {
    if (text.isEmpty()) {
        return 0;
    }
    const auto value = isAsciiDigits(text) ? DecimalText::parseInteger(text) : std::nullopt;
    if (!value) {
        throw makeError(VideoDurationInputError::invalidNumber);
    }
    return *value;
}

// One bound in whole seconds, or nothing when both of its fields are blank.
std::optional<std::int64_t> bound(const QString& minutesText, const QString& secondsText) {
    const QString minutesField = TextOrder::trimmed(minutesText);
    const QString secondsField = TextOrder::trimmed(secondsText);
    if (minutesField.isEmpty() && secondsField.isEmpty()) {
        return std::nullopt;
    }
    const std::int64_t minutes = wholeNumber(minutesField);
    const std::int64_t seconds = wholeNumber(secondsField);
    if (seconds > 59) {
        throw makeError(VideoDurationInputError::invalidSeconds);
    }
    std::int64_t total = 0;
    if (__builtin_mul_overflow(minutes, 60, &total) ||
        __builtin_add_overflow(total, seconds, &total)) {
        throw makeError(VideoDurationInputError::invalidNumber);
    }
    return total;
}

}  // namespace

std::optional<VideoDurationPreset> VideoDurationRange::preset() const {
    for (VideoDurationPreset candidate : allVideoDurationPresets) {
        if (range(candidate) == *this) {
            return candidate;
        }
    }
    return std::nullopt;
}

QString VideoDurationRange::title() const {
    if (const auto matching = preset()) {
        return lumivex::title(*matching);
    }
    if (!maximum) {
        return timeText(minimum) + QStringLiteral(" 이상");
    }
    if (minimum == 0) {
        return u'~' + timeText(*maximum);
    }
    return timeText(minimum) + u'~' + timeText(*maximum);
}

bool VideoDurationRange::contains(double seconds) const {
    if (!std::isfinite(seconds) || seconds < minimum) {
        return false;
    }
    if (!maximum) {
        return true;
    }
    return includesMaximum ? seconds <= *maximum : seconds < *maximum;
}

VideoDurationRange VideoDurationRange::custom(const QString& minimumMinutes,
                                              const QString& minimumSeconds,
                                              const QString& maximumMinutes,
                                              const QString& maximumSeconds) {
    const auto lower = bound(minimumMinutes, minimumSeconds);
    const auto upper = bound(maximumMinutes, maximumSeconds);
    if (!lower && !upper) {
        throw makeError(VideoDurationInputError::missingBounds);
    }
    if (lower && upper && *upper < *lower) {
        throw makeError(VideoDurationInputError::invalidOrder);
    }
    VideoDurationRange result;
    result.minimum = lower ? static_cast<double>(*lower) : 0;
    if (upper) {
        result.maximum = static_cast<double>(*upper);
    }
    result.includesMaximum = true;
    return result;
}

}  // namespace lumivex

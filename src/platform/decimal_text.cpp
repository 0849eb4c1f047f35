#include "platform/decimal_text.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

namespace lumivex::DecimalText {

namespace {

// The text as plain ASCII bytes, or nothing when it holds any other character.
std::optional<std::string> asciiBytes(QStringView text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (QChar c : text) {
        if (c.unicode() > 0x7F) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<char>(c.unicode()));
    }
    return bytes;
}

}  // namespace

char* writeShortest(double value, char* first) {
    const auto copy = [first](std::string_view text) {
        return std::copy(text.begin(), text.end(), first);
    };
    if (std::isnan(value)) {
        return copy("nan");
    }
    if (std::isinf(value)) {
        return copy(value > 0 ? "inf" : "-inf");
    }
    char* last =
        std::to_chars(first, first + shortestCapacity, value, std::chars_format::fixed).ptr;
    if (std::find(first, last, '.') == last) {
        *last++ = '.';
        *last++ = '0';
    }
    return last;
}

QString shortest(double value) {
    char buffer[shortestCapacity];
    return QString::fromLatin1(buffer, writeShortest(value, buffer) - buffer);
}

std::optional<double> parseDouble(QStringView text) {
    const auto bytes = asciiBytes(text);
    if (!bytes || bytes->empty()) {
        return std::nullopt;
    }
    const char* const whole = bytes->data();
    const char* first = whole;
    const char* last = first + bytes->size();
    bool negative = false;
    if (*first == '+' || *first == '-') {
        negative = *first == '-';
        ++first;
    }
    if (first == last || *first == '+' || *first == '-') {
        return std::nullopt;
    }
    auto format = std::chars_format::general;
    if (last - first > 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X')) {
        first += 2;
        format = std::chars_format::hex;
        if (*first == '+' || *first == '-') {
            return std::nullopt;
        }
    }
    double value = 0;
    const auto result = std::from_chars(first, last, value, format);
    if (result.ptr != last) {
        return std::nullopt;
    }
    if (result.ec == std::errc::result_out_of_range) {
        // Beyond the double range strtod gives infinity or a tiny value; callers reject what is
        // not finite. It reads the whole text, sign and "0x" included, so a hexadecimal exponent
        // is not mistaken for a decimal one. The C locale keeps "." the decimal point.
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
        return strtod_l(whole, nullptr, cLocale);
    }
    if (result.ec != std::errc()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::optional<std::int64_t> parseInteger(QStringView text) {
    const auto bytes = asciiBytes(text);
    if (!bytes || bytes->empty()) {
        return std::nullopt;
    }
    const char* first = bytes->data();
    const char* last = first + bytes->size();
    const bool plus = *first == '+';
    if (plus) {
        ++first;
    }
    if (first == last || *first == '+' || (plus && *first == '-')) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    const auto result = std::from_chars(first, last, value, 10);
    if (result.ec != std::errc() || result.ptr != last) {
        return std::nullopt;
    }
    return value;
}

QString integer(std::int64_t value) {
    return QString::number(value);
}

}  // namespace lumivex::DecimalText

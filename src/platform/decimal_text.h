#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace lumivex {

// Locale-independent numbers of the catalog files. The application runs in the user's locale,
// so nothing here goes through printf or strtod.
namespace DecimalText {

// The shortest decimal that reads back as the same double, in fixed notation and always with a
// fractional digit: 1700000000.0, 0.25. Non-finite values give "nan", "inf" or "-inf".
QString shortest(double value);
// The same text as ASCII written from `first`, for callers that build a larger text without
// allocating; returns the end. shortestCapacity bytes always suffice.
inline constexpr std::size_t shortestCapacity = 400;
char* writeShortest(double value, char* first);

// A whole text read as a finite or non-finite double the way strtod reads it in the C locale
// (sign, digits, ".", exponent, "inf", "nan", hexadecimal), with nothing left over and no leading
// white space. Nothing when the text is not such a number.
std::optional<double> parseDouble(QStringView text);

// An optional sign followed by ASCII digits only, within 64 bits.
std::optional<std::int64_t> parseInteger(QStringView text);

QString integer(std::int64_t value);

}  // namespace DecimalText
}  // namespace lumivex

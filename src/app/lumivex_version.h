#pragma once

#include <QString>

#include <compare>
#include <cstdint>
#include <optional>

namespace lumivex {

// A release version of three numbers, as tags and the running build name it: "1.2.3" or
// "v1.2.3". Ordered by major, then minor, then patch.
struct LumivexVersion {
    std::int64_t major = 0;
    std::int64_t minor = 0;
    std::int64_t patch = 0;

    // The version a text names, or nothing. One lower-case "v" may lead; then exactly three
    // pieces of ASCII digits (leading zeros allowed) joined by "."; each must fit 64 bits.
    static std::optional<LumivexVersion> parse(const QString& text);

    // The three numbers without leading zeros and without a "v": "1.10.0".
    QString description() const;

    auto operator<=>(const LumivexVersion&) const = default;
};

}  // namespace lumivex

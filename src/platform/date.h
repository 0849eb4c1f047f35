#pragma once

#include <compare>
#include <functional>

namespace lumivex {

// An absolute point in time with sub-second precision, as seconds since 1970-01-01 00:00:00 UTC.
// Kept as the same double the catalog files write, so a date survives a save byte for byte.
struct Date {
    double secondsSince1970 = 0;

    static constexpr double referenceOffset = 978307200.0;  // 1970 to 2001-01-01 in seconds

    static Date now();
    // The earliest date the catalogs know: 0001-01-01, for records that have no date of their own.
    static Date distantPast() { return fromSecondsSinceReference(-63114076800.0); }
    static Date fromSecondsSinceReference(double seconds) { return {seconds + referenceOffset}; }
    double secondsSinceReference() const { return secondsSince1970 - referenceOffset; }

    auto operator<=>(const Date&) const = default;
};

// Code that reads the time takes a clock, so tests can pin it.
using Clock = std::function<Date()>;

}  // namespace lumivex

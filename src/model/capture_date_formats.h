#pragma once

#include "platform/date.h"

#include <QStringView>

#include <optional>

namespace lumivex {

// The date texts found in photo and video metadata, read strictly: a text that is not exactly in
// the expected form gives nothing. Stateless, so every thread may use them at once.
namespace CaptureDateFormats {

// "yyyy:MM:dd HH:mm:ss" of the Gregorian calendar as UTC.
std::optional<Date> exifUTC(QStringView text);
// The same as wall-clock time in the system's time zone (TZ as it is when called).
std::optional<Date> exifLocal(QStringView text);
// An internet date-time: "yyyy-MM-ddTHH:mm:ss" and "Z" or "+hh:mm"/"-hh:mm", no fraction.
std::optional<Date> iso(QStringView text);
// The same with fractional seconds after the seconds (".5", ".000000"), which are required.
std::optional<Date> isoFractional(QStringView text);
// The typed date of a video's creation-date item, which is stored as text: an internet date-time
// with or without fractional seconds, its offset also in the basic form "+hhmm" that cameras and
// phones write.
std::optional<Date> quickTimeDate(QStringView text);

}  // namespace CaptureDateFormats
}  // namespace lumivex

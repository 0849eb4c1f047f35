#include "model/capture_date_formats.h"

#include "platform/decimal_text.h"

#include <QString>

#include <cerrno>
#include <cstdint>
#include <ctime>

namespace lumivex::CaptureDateFormats {

namespace {

struct CivilTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Reads `count` ASCII digits at `at`; -1 when any of them is not one.
int digits(QStringView text, qsizetype at, int count) {
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const char16_t c = text[at + i].unicode();
        if (c < u'0' || c > u'9') {
            return -1;
        }
        value = value * 10 + (c - u'0');
    }
    return value;
}

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

bool isValid(const CivilTime& time) {
    return time.year >= 1 && time.month >= 1 && time.month <= 12 && time.day >= 1 &&
           time.day <= daysInMonth(time.year, time.month) && time.hour >= 0 && time.hour <= 23 &&
           time.minute >= 0 && time.minute <= 59 && time.second >= 0 && time.second <= 59;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t daysSince1970(int year, int month, int day) {
    const std::int64_t y = month <= 2 ? year - 1 : year;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

double utcSeconds(const CivilTime& time) {
    const std::int64_t days = daysSince1970(time.year, time.month, time.day);
    return static_cast<double>(days * 86400 + time.hour * 3600 + time.minute * 60 + time.second);
}

// Reads "yyyy?MM?dd?HH:mm:ss" with the given date and date-time separators.
std::optional<CivilTime> civilTime(QStringView text, char16_t dateSeparator, char16_t middle) {
    if (text.size() < 19 || text[4] != dateSeparator || text[7] != dateSeparator ||
        text[10] != middle || text[13] != u':' || text[16] != u':') {
        return std::nullopt;
    }
    const CivilTime time{digits(text, 0, 4),  digits(text, 5, 2),  digits(text, 8, 2),
                         digits(text, 11, 2), digits(text, 14, 2), digits(text, 17, 2)};
    if (!isValid(time)) {
        return std::nullopt;
    }
    return time;
}

std::optional<CivilTime> exifTime(QStringView text) {
    if (text.size() != 19) {
        return std::nullopt;
    }
    return civilTime(text, u':', u' ');
}

// "Z", "+hh:mm" or "-hh:mm" (also "+hhmm" when `basicAllowed`) as seconds east of UTC.
std::optional<int> zoneOffset(QStringView text, bool basicAllowed) {
    if (text == u"Z") {
        return 0;
    }
    if (text.isEmpty() || (text[0] != u'+' && text[0] != u'-')) {
        return std::nullopt;
    }
    int hours = -1;
    int minutes = -1;
    if (text.size() == 6 && text[3] == u':') {
        hours = digits(text, 1, 2), minutes = digits(text, 4, 2);
    } else if (basicAllowed && text.size() == 5) {
        hours = digits(text, 1, 2), minutes = digits(text, 3, 2);
    }
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59) {
        return std::nullopt;
    }
    const int seconds = (hours * 60 + minutes) * 60;
    return text[0] == u'-' ? -seconds : seconds;
}

enum class Fraction { forbidden, required, optional };

std::optional<Date> internetDateTime(QStringView text, Fraction fraction, bool basicOffset) {
    const std::optional<CivilTime> time = civilTime(text, u'-', u'T');
    if (!time) {
        return std::nullopt;
    }
    qsizetype zoneStart = 19;
    double seconds = 0;
    if (zoneStart < text.size() && text[zoneStart] == u'.') {
        qsizetype end = zoneStart + 1;
        while (end < text.size() && text[end] >= u'0' && text[end] <= u'9') {
            ++end;
        }
        if (fraction == Fraction::forbidden || end == zoneStart + 1) {
            return std::nullopt;
        }
        QString decimal = QStringLiteral("0.");
        decimal += text.mid(zoneStart + 1, end - zoneStart - 1);
        seconds = DecimalText::parseDouble(decimal).value_or(0);
        zoneStart = end;
    } else if (fraction == Fraction::required) {
        return std::nullopt;
    }
    const std::optional<int> offset = zoneOffset(text.mid(zoneStart), basicOffset);
    if (!offset) {
        return std::nullopt;
    }
    return Date{utcSeconds(*time) - *offset + seconds};
}

}  // namespace

std::optional<Date> exifUTC(QStringView text) {
    const std::optional<CivilTime> time = exifTime(text);
    if (!time) {
        return std::nullopt;
    }
    return Date{utcSeconds(*time)};
}

std::optional<Date> exifLocal(QStringView text) {
    const std::optional<CivilTime> time = exifTime(text);
    if (!time) {
        return std::nullopt;
    }
    std::tm fields{};
    fields.tm_year = time->year - 1900;
    fields.tm_mon = time->month - 1;
    fields.tm_mday = time->day;
    fields.tm_hour = time->hour;
    fields.tm_min = time->minute;
    fields.tm_sec = time->second;
    fields.tm_isdst = -1;  // let the zone rules decide whether summer time applies
    errno = 0;
    const std::time_t seconds = std::mktime(&fields);
    if (seconds == static_cast<std::time_t>(-1) && errno != 0) {
        return std::nullopt;
    }
    return Date{static_cast<double>(seconds)};
}

std::optional<Date> iso(QStringView text) {
    return internetDateTime(text, Fraction::forbidden, false);
}

std::optional<Date> isoFractional(QStringView text) {
    return internetDateTime(text, Fraction::required, false);
}

std::optional<Date> quickTimeDate(QStringView text) {
    return internetDateTime(text, Fraction::optional, true);
}

}  // namespace lumivex::CaptureDateFormats

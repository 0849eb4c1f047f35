#include "platform/text_order.h"

#include <QCollator>
#include <QLocale>

namespace lumivex::TextOrder {

namespace {

QLocale collationLocale() {
    // Qt's collator falls back to plain UTF-16 order for the C locale, which would lose the
    // numeric digit runs; a C or POSIX environment collates as English instead.
    const QLocale system = QLocale::system();
    if (system.language() == QLocale::C) {
        return QLocale(QLocale::English, QLocale::UnitedStates);
    }
    return system;
}

// QCollator is not safe to share between threads; each thread gets its own.
QCollator& standardCollator() {
    thread_local QCollator collator = [] {
        QCollator c(collationLocale());
        c.setNumericMode(true);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

QCollator& caseInsensitiveCollator() {
    thread_local QCollator collator = [] {
        QCollator c(collationLocale());
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

int sign(int value) {
    return (value > 0) - (value < 0);
}

}  // namespace

int plainCompare(const QString& a, const QString& b) {
    const QString left = nfc(a);
    const QString right = nfc(b);
    // UTF-16 order differs from code-point order only where surrogates meet U+E000..U+FFFF.
    const qsizetype length = std::min(left.size(), right.size());
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t x = left[i].unicode();
        const char16_t y = right[i].unicode();
        if (x == y) {
            continue;
        }
        const bool xSurrogate = QChar::isSurrogate(x);
        const bool ySurrogate = QChar::isSurrogate(y);
        if (xSurrogate != ySurrogate) {
            return xSurrogate ? 1 : -1;
        }
        return x < y ? -1 : 1;
    }
    return sign(static_cast<int>(left.size() - right.size()));
}

int localizedStandardCompare(const QString& a, const QString& b) {
    const int collated = sign(standardCollator().compare(a, b));
    return collated != 0 ? collated : plainCompare(a, b);
}

SortKey::SortKey(const QString& text)
    : collated_(standardCollator().sortKey(text)), nfc_(nfc(text)) {}

int SortKey::compare(const SortKey& other) const {
    const int collated = sign(collated_.compare(other.collated_));
    return collated != 0 ? collated : plainCompare(nfc_, other.nfc_);
}

int localizedCaseInsensitiveCompare(const QString& a, const QString& b) {
    return sign(caseInsensitiveCollator().compare(a, b));
}

bool localizedCaseInsensitiveContains(const QString& haystack, const QString& needle) {
    if (needle.isEmpty()) {
        return true;
    }
    return nfc(haystack).toCaseFolded().contains(nfc(needle).toCaseFolded());
}

QString nfc(const QString& text) {
    // Most texts are ASCII or precomposed Hangul, whose NFC form is themselves: nothing below
    // U+0300 composes, and a Hangul syllable only composes with a conjoining jamo (U+1100..U+11FF).
    for (QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit >= 0x300 && (unit < 0xAC00 || unit > 0xD7A3)) {
            return text.normalized(QString::NormalizationForm_C);
        }
    }
    return text;
}

bool canonicallyEqual(const QString& a, const QString& b) {
    return a == b || nfc(a) == nfc(b);
}

QString lowerCased(const QString& text) {
    return nfc(text).toLower();
}

QString trimmed(const QString& text) {
    // QString::trimmed strips exactly the Unicode white space and line-break characters.
    return text.trimmed();
}

}  // namespace lumivex::TextOrder

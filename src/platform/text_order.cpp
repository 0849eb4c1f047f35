#include "platform/text_order.h"

#include <QCollator>
#include <QLocale>

#include <unicode/stringoptions.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstdint>

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

// Turkish and Azerbaijani pair I with dotless ı and İ with i; every other locale folds alike.
std::uint32_t foldOptions() {
    static const std::uint32_t options = [] {
        const QLocale::Language language = collationLocale().language();
        return language == QLocale::Turkish || language == QLocale::Azerbaijani
                   ? std::uint32_t{U_FOLD_CASE_EXCLUDE_SPECIAL_I}
                   : std::uint32_t{U_FOLD_CASE_DEFAULT};
    }();
    return options;
}

bool isAscii(const QString& text) {
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

// Full case folding, which may lengthen the text (ß becomes ss).
QString fullyFolded(const QString& text) {
    const auto source = reinterpret_cast<const UChar*>(text.constData());
    const auto sourceLength = static_cast<std::int32_t>(text.size());
    QString folded(text.size(), Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    std::int32_t length = u_strFoldCase(reinterpret_cast<UChar*>(folded.data()), sourceLength,
                                        source, sourceLength, foldOptions(), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        folded.resize(length);
        status = U_ZERO_ERROR;
        length = u_strFoldCase(reinterpret_cast<UChar*>(folded.data()), length, source,
                               sourceLength, foldOptions(), &status);
    }
    // With valid arguments and room for the whole result, folding cannot fail.
    Q_ASSERT(U_SUCCESS(status));
    folded.resize(length);
    return folded;
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

QString caseFoldKey(const QString& text) {
    const QString composed = nfc(text);
    if (foldOptions() == U_FOLD_CASE_DEFAULT && isAscii(composed)) {
        return composed.toLower();
    }
    // Folding can leave a text that is no longer composed (ǰ folds to j and a combining caron).
    return nfc(fullyFolded(composed));
}

bool equalIgnoringCase(const QString& a, const QString& b) {
    return a == b || caseFoldKey(a) == caseFoldKey(b);
}

bool localizedCaseInsensitiveContains(const QString& haystack, const QString& needle) {
    return needle.isEmpty() || caseFoldKey(haystack).contains(caseFoldKey(needle));
}

bool knownComposed(QStringView text) {
    // Most texts are ASCII or precomposed Hangul, whose NFC form is themselves: nothing below
    // U+0300 composes, and a Hangul syllable only composes with a conjoining jamo (U+1100..U+11FF).
    // Whole blocks are looked at without a branch per character, which the compiler vectorizes.
    const auto composes = [](char16_t unit) {
        return unit >= 0x300 && static_cast<char16_t>(unit - 0xAC00) > 0xD7A3 - 0xAC00;
    };
    constexpr qsizetype block = 8;
    const char16_t* units = text.utf16();
    const qsizetype size = text.size();
    qsizetype at = 0;
    for (; at + block <= size; at += block) {
        unsigned found = 0;
        for (qsizetype i = 0; i < block; ++i) {
            found |= composes(units[at + i]) ? 1U : 0U;
        }
        if (found != 0) {
            return false;
        }
    }
    return std::none_of(units + at, units + size, composes);
}

QString nfc(const QString& text) {
    return knownComposed(text) ? text : text.normalized(QString::NormalizationForm_C);
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

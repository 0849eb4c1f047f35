#pragma once

#include <QCollatorSortKey>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <algorithm>
#include <utility>
#include <vector>

namespace lumivex {

// The text rules every user-visible order and every match follows: the file-browser collation
// (ICU, numeric, case-insensitive, code-point tie-break), canonical equivalence through NFC,
// and trimming of white space and line breaks. Safe to call from any thread.
namespace TextOrder {

// Negative, zero or positive, like strcmp: the localized standard comparison of the user's locale.
// Zero only for texts that are canonically equivalent.
int localizedStandardCompare(const QString& a, const QString& b);
inline bool localizedStandardLess(const QString& a, const QString& b) {
    return localizedStandardCompare(a, b) < 0;
}

// A precomputed key for sorting many texts: comparing two keys gives the localized standard
// comparison of their texts, ties between different texts broken by plain order.
class SortKey {
public:
    explicit SortKey(const QString& text);
    int compare(const SortKey& other) const;
    bool operator<(const SortKey& other) const { return compare(other) < 0; }

private:
    QCollatorSortKey collated_;
    QString nfc_;
};

// Sorts `list` stably by the localized standard comparison of `textOf(element)`, with one sort
// key per element.
template <typename T, typename TextOf>
void stableSortLocalized(QList<T>& list, TextOf textOf) {
    std::vector<std::pair<SortKey, qsizetype>> keys;
    keys.reserve(static_cast<size_t>(list.size()));
    for (qsizetype i = 0; i < list.size(); ++i) {
        keys.emplace_back(SortKey(textOf(list[i])), i);
    }
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<T> sorted;
    sorted.reserve(list.size());
    for (const auto& key : keys) {
        sorted.append(std::move(list[key.second]));
    }
    list = std::move(sorted);
}

inline void sortLocalizedStandard(QStringList& texts) {
    stableSortLocalized(texts, [](const QString& text) -> const QString& { return text; });
}

// The one case-insensitive rule of equality, hashing and containment. Two texts are equal
// ignoring case when their keys are equal: the key is NFC with full case folding in the user's
// locale ("Straße" and "STRASSE" agree; a Turkish locale folds dotted and dotless i apart), so
// accents, character width, kana and invisible characters stay significant. Hash the key to
// hash by the rule; compute it once per text where many comparisons follow.
QString caseFoldKey(const QString& text);
bool equalIgnoringCase(const QString& a, const QString& b);
// Whether the key of `haystack` holds the key of `needle`: a text contains every text equal to
// it, and two texts that contain each other are equal.
bool localizedCaseInsensitiveContains(const QString& haystack, const QString& needle);

// Plain order: the NFC form compared by Unicode scalar values (the order of NFC UTF-8 bytes).
int plainCompare(const QString& a, const QString& b);
inline bool plainLess(const QString& a, const QString& b) {
    return plainCompare(a, b) < 0;
}

QString nfc(const QString& text);
// Whether `text` is its own NFC form at a glance: true for ASCII and precomposed Hangul with
// nothing that could compose with them. A false answer says nothing; normalize to know.
bool knownComposed(QStringView text);
// Case-sensitive equality where canonically equivalent texts are equal.
bool canonicallyEqual(const QString& a, const QString& b);
// Lower-cased NFC, for "equal after lower-casing" checks.
QString lowerCased(const QString& text);

// Trimmed of white space and line breaks at both ends.
QString trimmed(const QString& text);

}  // namespace TextOrder
}  // namespace lumivex

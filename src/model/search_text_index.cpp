#include "model/search_text_index.h"

#include "model/media_item.h"
#include "platform/text_order.h"

#include <algorithm>
#include <cstring>

namespace lumivex {

namespace {

constexpr std::size_t bucketCount = 1024;

}  // namespace

void SearchTextIndex::addItem(const MediaItem& item) {
    starts_.push_back(static_cast<std::uint32_t>(texts_.size()));
    addText(TextOrder::caseFoldKey(item.filename));
    addText(TextOrder::caseFoldKey(item.notes));
    for (const auto& [key, values] : item.labels) {
        for (const QString& value : values) {
            auto folded = foldedValues_.constFind(value);
            if (folded == foldedValues_.constEnd()) {
                folded = foldedValues_.insert(value, TextOrder::caseFoldKey(value));
            }
            addText(*folded);
        }
    }
}

void SearchTextIndex::addText(QStringView foldedText) {
    texts_.append(foldedText);
    texts_.append(QChar(u'\0'));
}

void SearchTextIndex::finish() {
    texts_.squeeze();
    starts_.shrink_to_fit();
    foldedValues_ = {};
    unitCounts_.assign(bucketCount, 0);
    for (const QChar unit : std::as_const(texts_)) {
        ++unitCounts_[bucketOf(unit)];
    }
}

void SearchTextIndex::replaceEntries(
    const std::vector<std::pair<qsizetype, const MediaItem*>>& entries) {
    if (entries.empty()) {
        return;
    }
    SearchTextIndex rebuilt;
    rebuilt.texts_.reserve(texts_.size());
    rebuilt.starts_.reserve(starts_.size());
    rebuilt.unitCounts_ = unitCounts_;
    qsizetype next = 0;
    for (const auto& [entry, item] : entries) {
        rebuilt.appendEntries(*this, next, entry);
        rebuilt.countUnits(entryTexts(entry), -1);
        const qsizetype from = rebuilt.texts_.size();
        rebuilt.addItem(*item);
        rebuilt.countUnits(QStringView(rebuilt.texts_).mid(from), 1);
        next = entry + 1;
    }
    rebuilt.appendEntries(*this, next, entryCount());
    rebuilt.foldedValues_ = {};
    *this = std::move(rebuilt);
}

void SearchTextIndex::appendEntries(const SearchTextIndex& source, qsizetype from, qsizetype to) {
    if (from >= to) {
        return;
    }
    const qsizetype begin = source.starts_[static_cast<std::size_t>(from)];
    const qsizetype end = to < source.entryCount() ? source.starts_[static_cast<std::size_t>(to)]
                                                   : source.texts_.size();
    const qsizetype shift = texts_.size() - begin;
    for (qsizetype entry = from; entry < to; ++entry) {
        starts_.push_back(
            static_cast<std::uint32_t>(source.starts_[static_cast<std::size_t>(entry)] + shift));
    }
    texts_.append(QStringView(source.texts_).mid(begin, end - begin));
}

void SearchTextIndex::countUnits(QStringView texts, int sign) {
    for (const QChar unit : texts) {
        unitCounts_[bucketOf(unit)] += static_cast<std::uint32_t>(sign);
    }
}

// A few kilobytes of counts rather than one per possible unit: units that share a bucket only
// make the choice of the rarest one less sharp.
std::size_t SearchTextIndex::bucketOf(QChar unit) {
    return (std::size_t{unit.unicode()} * 40503U >> 6) % bucketCount;
}

QStringView SearchTextIndex::entryTexts(qsizetype entry) const {
    const auto index = static_cast<std::size_t>(entry);
    const qsizetype end = index + 1 < starts_.size() ? starts_[index + 1] : texts_.size();
    return QStringView(texts_).mid(starts_[index], end - starts_[index]);
}

// Each candidate place is found by a vectorised scan for the needle's unit that is rarest in the
// texts, then checked whole: a search text that occurs nowhere costs about one scan of the texts.
qsizetype SearchTextIndex::find(QStringView needle, qsizetype rarest, qsizetype from) const {
    const QStringView texts(texts_);
    const QChar unit = needle[rarest];
    const auto bytes = static_cast<std::size_t>(needle.size()) * sizeof(char16_t);
    for (qsizetype at = texts.indexOf(unit, from + rarest); at >= 0;
         at = texts.indexOf(unit, at + 1)) {
        const qsizetype start = at - rarest;
        if (start + needle.size() <= texts.size() &&
            std::memcmp(texts.utf16() + start, needle.utf16(), bytes) == 0) {
            return start;
        }
    }
    return -1;
}

qsizetype SearchTextIndex::rarestUnit(QStringView needle) const {
    qsizetype rarest = 0;
    for (qsizetype i = 1; i < needle.size(); ++i) {
        if (unitCounts_[bucketOf(needle[i])] < unitCounts_[bucketOf(needle[rarest])]) {
            rarest = i;
        }
    }
    return rarest;
}

void SearchTextIndex::markMatches(QStringView foldedNeedle, std::vector<char>& hits) const {
    hits.assign(starts_.size(), foldedNeedle.isEmpty() ? 1 : 0);
    if (foldedNeedle.isEmpty() || starts_.empty() || unitCounts_.empty()) {
        return;
    }
    const qsizetype rarest = rarestUnit(foldedNeedle);
    if (unitCounts_[bucketOf(foldedNeedle[rarest])] == 0) {
        return;
    }
    // Matches come in ascending order, so the entry of each is found by walking forward.
    std::size_t entry = 0;
    for (qsizetype from = 0;;) {
        const qsizetype found = find(foldedNeedle, rarest, from);
        if (found < 0) {
            return;
        }
        while (entry + 1 < starts_.size() && starts_[entry + 1] <= found) {
            ++entry;
        }
        hits[entry] = 1;
        if (entry + 1 == starts_.size()) {
            return;
        }
        from = starts_[entry + 1];
    }
}

}  // namespace lumivex

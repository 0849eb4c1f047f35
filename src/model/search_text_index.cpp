#include "model/search_text_index.h"

#include "model/media_item.h"
#include "model/media_items.h"
#include "platform/parallel_work.h"
#include "platform/text_order.h"

#include <algorithm>
#include <cstring>

namespace lumivex {

namespace {

constexpr std::size_t bucketCount = 1024;

void addText(QString& texts, QStringView foldedText) {
    texts.append(foldedText);
    texts.append(QChar(u'\0'));
}

// The position of the next occurrence of `needle` in `texts` at or after `from`, or -1. Each
// candidate place is found by a vectorised scan for the needle's unit at `rarest`, then checked
// whole: a search text that occurs nowhere costs about one scan of the texts.
qsizetype find(QStringView texts, QStringView needle, qsizetype rarest, qsizetype from) {
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

}  // namespace

QStringView SearchTextIndex::Buffer::entry(std::size_t index) const {
    const qsizetype end = index + 1 < starts.size() ? starts[index + 1] : texts.size();
    return QStringView(texts).mid(starts[index], end - starts[index]);
}

void SearchTextIndex::Buffer::squeeze() {
    texts.squeeze();
    starts.shrink_to_fit();
}

void SearchTextIndex::addItem(const MediaItem& item) {
    addOwnTexts(item);
    combinationOf_.push_back(combinationOf(item));
}

// The own texts fill `own_` only, the values everything else that building touches.
void SearchTextIndex::addItems(const MediaItems& items) {
    ParallelWork::forEach(2, [&](std::size_t part) {
        for (const MediaItem& item : items) {
            if (part == 0) {
                addOwnTexts(item);
            } else {
                combinationOf_.push_back(combinationOf(item));
            }
        }
        return true;
    });
}

void SearchTextIndex::addOwnTexts(const MediaItem& item) {
    own_.starts.push_back(static_cast<std::uint32_t>(own_.texts.size()));
    addText(own_.texts, TextOrder::caseFoldKey(item.filename));
    addText(own_.texts, TextOrder::caseFoldKey(item.notes));
}

std::uint32_t SearchTextIndex::combinationOf(const MediaItem& item) {
    scratch_.resize(0);  // keeps its room for the next item
    for (const auto& [key, values] : item.labels) {
        for (const QString& value : values) {
            auto folded = foldedValues_.constFind(value);
            if (folded == foldedValues_.constEnd()) {
                folded = foldedValues_.insert(value, TextOrder::caseFoldKey(value));
            }
            addText(scratch_, *folded);
        }
    }
    const std::size_t hash = qHash(QStringView(scratch_));
    const auto [first, last] = combinationsByHash_.equal_range(hash);
    for (auto found = first; found != last; ++found) {
        if (combinations_.entry(found->second) == QStringView(scratch_)) {
            return found->second;
        }
    }
    const auto made = static_cast<std::uint32_t>(combinations_.starts.size());
    combinations_.starts.push_back(static_cast<std::uint32_t>(combinations_.texts.size()));
    combinations_.texts.append(scratch_);
    combinationsByHash_.emplace(hash, made);
    return made;
}

void SearchTextIndex::indexCombinations() {
    for (std::size_t index = 0; index < combinations_.starts.size(); ++index) {
        combinationsByHash_.emplace(qHash(combinations_.entry(index)),
                                    static_cast<std::uint32_t>(index));
    }
}

void SearchTextIndex::releaseBuildRoom() {
    combinationsByHash_ = decltype(combinationsByHash_)();
    foldedValues_ = {};
    scratch_ = QString();
}

void SearchTextIndex::finish() {
    own_.squeeze();
    combinations_.squeeze();
    combinationOf_.shrink_to_fit();
    releaseBuildRoom();
    unitCounts_.assign(bucketCount, 0);
    countUnits(own_.texts, 1);
    countUnits(combinations_.texts, 1);
}

// A combination no entry holds any more stays until the next build: it is counted and scanned
// like the others, and marks nothing.
void SearchTextIndex::replaceEntries(
    const std::vector<std::pair<qsizetype, const MediaItem*>>& entries) {
    if (entries.empty()) {
        return;
    }
    SearchTextIndex rebuilt;
    rebuilt.own_.texts.reserve(own_.texts.size());
    rebuilt.own_.starts.reserve(own_.starts.size());
    rebuilt.combinationOf_.reserve(combinationOf_.size());
    rebuilt.combinations_ = combinations_;
    rebuilt.indexCombinations();
    rebuilt.unitCounts_ = unitCounts_;
    qsizetype next = 0;
    for (const auto& [entry, item] : entries) {
        rebuilt.appendEntries(*this, next, entry);
        rebuilt.countUnits(own_.entry(static_cast<std::size_t>(entry)), -1);
        const qsizetype ownFrom = rebuilt.own_.texts.size();
        const qsizetype combinationsFrom = rebuilt.combinations_.texts.size();
        rebuilt.addItem(*item);
        rebuilt.countUnits(QStringView(rebuilt.own_.texts).mid(ownFrom), 1);
        rebuilt.countUnits(QStringView(rebuilt.combinations_.texts).mid(combinationsFrom), 1);
        next = entry + 1;
    }
    rebuilt.appendEntries(*this, next, entryCount());
    rebuilt.releaseBuildRoom();
    *this = std::move(rebuilt);
}

void SearchTextIndex::appendEntries(const SearchTextIndex& source, qsizetype from, qsizetype to) {
    if (from >= to) {
        return;
    }
    const Buffer& texts = source.own_;
    const qsizetype begin = texts.starts[static_cast<std::size_t>(from)];
    const qsizetype end =
        to < source.entryCount() ? texts.starts[static_cast<std::size_t>(to)] : texts.texts.size();
    const qsizetype shift = own_.texts.size() - begin;
    for (qsizetype entry = from; entry < to; ++entry) {
        const auto index = static_cast<std::size_t>(entry);
        own_.starts.push_back(static_cast<std::uint32_t>(texts.starts[index] + shift));
        combinationOf_.push_back(source.combinationOf_[index]);
    }
    own_.texts.append(QStringView(texts.texts).mid(begin, end - begin));
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

QString SearchTextIndex::entryTexts(qsizetype entry) const {
    const auto index = static_cast<std::size_t>(entry);
    QString texts = own_.entry(index).toString();
    texts.append(combinations_.entry(combinationOf_[index]));
    return texts;
}

bool SearchTextIndex::operator==(const SearchTextIndex& other) const {
    if (entryCount() != other.entryCount()) {
        return false;
    }
    for (std::size_t index = 0; index < own_.starts.size(); ++index) {
        if (own_.entry(index) != other.own_.entry(index) ||
            combinations_.entry(combinationOf_[index]) !=
                other.combinations_.entry(other.combinationOf_[index])) {
            return false;
        }
    }
    return true;
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

void SearchTextIndex::markIn(const Buffer& buffer, QStringView needle, qsizetype rarest,
                             std::vector<char>& hits) {
    const std::vector<std::uint32_t>& starts = buffer.starts;
    // Matches come in ascending order, so the entry of each is found by walking forward.
    std::size_t entry = 0;
    for (qsizetype from = 0;;) {
        const qsizetype found = find(buffer.texts, needle, rarest, from);
        if (found < 0) {
            return;
        }
        while (entry + 1 < starts.size() && starts[entry + 1] <= found) {
            ++entry;
        }
        hits[entry] = 1;
        if (entry + 1 == starts.size()) {
            return;
        }
        from = starts[entry + 1];
    }
}

void SearchTextIndex::markMatches(QStringView foldedNeedle, std::vector<char>& hits) const {
    hits.assign(own_.starts.size(), foldedNeedle.isEmpty() ? 1 : 0);
    if (foldedNeedle.isEmpty() || own_.starts.empty() || unitCounts_.empty()) {
        return;
    }
    const qsizetype rarest = rarestUnit(foldedNeedle);
    if (unitCounts_[bucketOf(foldedNeedle[rarest])] == 0) {
        return;
    }
    markIn(own_, foldedNeedle, rarest, hits);
    std::vector<char> held(combinations_.starts.size(), 0);
    markIn(combinations_, foldedNeedle, rarest, held);
    if (std::find(held.cbegin(), held.cend(), 1) == held.cend()) {
        return;
    }
    for (std::size_t entry = 0; entry < hits.size(); ++entry) {
        hits[entry] |= held[combinationOf_[entry]];
    }
}

}  // namespace lumivex

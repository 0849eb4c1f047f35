#include "model/search_text_index.h"

#include "model/labels.h"
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
    reserveCombinations(static_cast<std::size_t>(items.size()));
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

const QString& SearchTextIndex::foldedValue(const QString& value) {
    auto folded = foldedValues_.constFind(value);
    if (folded == foldedValues_.constEnd()) {
        folded = foldedValues_.insert(value, TextOrder::caseFoldKey(value));
    }
    return *folded;
}

std::uint32_t SearchTextIndex::combinationOf(const MediaItem& item) {
    scratch_.resize(0);  // keeps its room for the next item
    for (const auto& [key, values] : item.labels) {
        for (const QString& value : values) {
            addText(scratch_, foldedValue(value));
        }
    }
    return scratchCombination();
}

namespace {

// The place in `texts` after the next `count` texts from `at`, each ended by U+0000.
qsizetype skipTexts(QStringView texts, qsizetype at, qsizetype count) {
    for (qsizetype i = 0; i < count; ++i) {
        at = texts.indexOf(QChar(u'\0'), at) + 1;
    }
    return at;
}

}  // namespace

// The texts of a property whose values stayed are those it held in the entry's combination; they
// are told apart by their ends unless a folded value itself holds U+0000.
std::uint32_t SearchTextIndex::replacedCombination(const Replacement& replacement,
                                                   FoldedByPlace& byPlace) {
    const Labels& before = replacement.before->labels;
    const QStringView old =
        combinations_.entry(combinationOf_[static_cast<std::size_t>(replacement.entry)]);
    qsizetype valueCount = 0;
    for (const auto& [key, values] : before) {
        valueCount += values.size();
    }
    const bool separable = old.count(QChar(u'\0')) == valueCount;
    scratch_.resize(0);
    auto held = before.begin();
    qsizetype at = 0;  // in `old`, where the values of `held` begin
    for (const auto& [key, values] : replacement.after->labels) {
        while (separable && held != before.end() && held->first < key) {
            at = skipTexts(old, at, held->second.size());
            ++held;
        }
        if (separable && held != before.end() && held->first == key) {
            const qsizetype end = skipTexts(old, at, held->second.size());
            const bool kept = held->second == values;
            if (kept) {
                scratch_.append(old.mid(at, end - at));
            }
            at = end;
            ++held;
            if (kept) {
                continue;
            }
        }
        for (const QString& value : values) {
            const std::pair place(value.constData(), value.size());
            auto folded = byPlace.constFind(place);
            if (folded == byPlace.constEnd()) {
                folded = byPlace.insert(place, foldedValue(value));
            }
            addText(scratch_, *folded);
        }
    }
    return scratchCombination();
}

std::uint32_t SearchTextIndex::scratchCombination() {
    reserveCombinations(combinations_.starts.size() + 1);
    const QStringView texts(scratch_);
    const std::size_t mask = combinationSlots_.size() - 1;
    for (std::size_t slot = qHash(texts) & mask;; slot = (slot + 1) & mask) {
        const std::uint32_t held = combinationSlots_[slot];
        if (held == 0) {
            const auto made = static_cast<std::uint32_t>(combinations_.starts.size());
            combinations_.starts.push_back(static_cast<std::uint32_t>(combinations_.texts.size()));
            combinations_.texts.append(texts);
            combinationSlots_[slot] = made + 1;
            if (!holders_.empty()) {
                holders_.push_back(0);
                unheldUnits_ += static_cast<std::size_t>(texts.size());
            }
            return made;
        }
        if (combinations_.entry(held - 1) == texts) {
            return held - 1;
        }
    }
}

// At most half the slots are taken, so that a search for a combination ends soon.
void SearchTextIndex::reserveCombinations(std::size_t count) {
    std::size_t size = std::max<std::size_t>(combinationSlots_.size(), 64);
    while (size < 2 * count) {
        size *= 2;
    }
    if (size == combinationSlots_.size()) {
        return;
    }
    combinationSlots_.assign(size, 0);
    const std::size_t mask = size - 1;
    for (std::size_t index = 0; index < combinations_.starts.size(); ++index) {
        std::size_t slot = qHash(combinations_.entry(index)) & mask;
        while (combinationSlots_[slot] != 0) {
            slot = (slot + 1) & mask;
        }
        combinationSlots_[slot] = static_cast<std::uint32_t>(index + 1);
    }
}

void SearchTextIndex::releaseBuildRoom() {
    scratch_ = QString();
}

// The tables of combinations and folded values go too: most indexes are never changed.
void SearchTextIndex::finish() {
    own_.squeeze();
    combinations_.squeeze();
    combinationOf_.shrink_to_fit();
    combinationSlots_ = {};
    foldedValues_ = {};
    holders_ = {};
    releaseBuildRoom();
    unitCounts_.assign(bucketCount, 0);
    countUnits(own_.texts, 1);
    countUnits(combinations_.texts, 1);
}

// A combination no entry holds any more is scanned like the others and marks nothing; such
// combinations go once they take more room than those held, so that edits giving values and taking
// them back again do not grow the index without bound, at a cost spread over the edits that left
// them. The tables of combinations, folded values and holders are made on the first replacement
// and kept, since an index changed once is likely changed again.
void SearchTextIndex::replaceEntries(const std::vector<Replacement>& replacements) {
    if (replacements.empty()) {
        return;
    }
    replaceOwnTexts(replacements);
    countHolders();
    FoldedByPlace byPlace;
    for (const Replacement& replacement : replacements) {
        const qsizetype textsFrom = combinations_.texts.size();
        const std::uint32_t combination = replacedCombination(replacement, byPlace);
        countUnits(QStringView(combinations_.texts).mid(textsFrom), 1);
        std::uint32_t& held = combinationOf_[static_cast<std::size_t>(replacement.entry)];
        if (combination != held) {
            hold(combination, 1);
            hold(held, -1);
            held = combination;
        }
    }
    if (2 * unheldUnits_ > static_cast<std::size_t>(combinations_.texts.size())) {
        dropUnheld();
    }
    releaseBuildRoom();
}

void SearchTextIndex::countHolders() {
    if (!holders_.empty()) {
        return;
    }
    holders_.assign(combinations_.starts.size(), 0);
    for (const std::uint32_t combination : combinationOf_) {
        ++holders_[combination];
    }
    unheldUnits_ = 0;
    for (std::size_t combination = 0; combination < holders_.size(); ++combination) {
        if (holders_[combination] == 0) {
            unheldUnits_ += static_cast<std::size_t>(combinations_.entry(combination).size());
        }
    }
}

void SearchTextIndex::hold(std::uint32_t combination, int by) {
    std::uint32_t& holders = holders_[combination];
    const bool wasHeld = holders != 0;
    holders += static_cast<std::uint32_t>(by);
    if (wasHeld != (holders != 0)) {
        const auto units = static_cast<std::size_t>(combinations_.entry(combination).size());
        unheldUnits_ = wasHeld ? unheldUnits_ + units : unheldUnits_ - units;
    }
}

// The combinations kept are numbered anew in their order, and the table that finds them is made
// again.
void SearchTextIndex::dropUnheld() {
    Buffer kept;
    std::vector<std::uint32_t> keptHolders;
    std::vector<std::uint32_t> renumbered(holders_.size(), 0);
    for (std::size_t combination = 0; combination < holders_.size(); ++combination) {
        if (holders_[combination] != 0) {
            renumbered[combination] = static_cast<std::uint32_t>(kept.starts.size());
            kept.starts.push_back(static_cast<std::uint32_t>(kept.texts.size()));
            kept.texts.append(combinations_.entry(combination));
            keptHolders.push_back(holders_[combination]);
        }
    }
    for (std::uint32_t& combination : combinationOf_) {
        combination = renumbered[combination];
    }
    countUnits(combinations_.texts, -1);
    countUnits(kept.texts, 1);
    combinations_ = std::move(kept);
    holders_ = std::move(keptHolders);
    unheldUnits_ = 0;
    combinationSlots_.clear();
    reserveCombinations(combinations_.starts.size());
}

void SearchTextIndex::replaceOwnTexts(const std::vector<Replacement>& replacements) {
    const auto changed = [](const Replacement& replacement) {
        return replacement.before->filename != replacement.after->filename ||
               replacement.before->notes != replacement.after->notes;
    };
    if (std::none_of(replacements.cbegin(), replacements.cend(), changed)) {
        return;
    }
    Buffer own;
    own.texts.reserve(own_.texts.size());
    own.starts.reserve(own_.starts.size());
    // Appends the texts of the entries [from, to) as they are.
    const auto keep = [&](qsizetype from, qsizetype to) {
        if (from >= to) {
            return;
        }
        const qsizetype begin = own_.starts[static_cast<std::size_t>(from)];
        const qsizetype end =
            to < entryCount() ? own_.starts[static_cast<std::size_t>(to)] : own_.texts.size();
        const qsizetype shift = own.texts.size() - begin;
        for (qsizetype entry = from; entry < to; ++entry) {
            own.starts.push_back(
                static_cast<std::uint32_t>(own_.starts[static_cast<std::size_t>(entry)] + shift));
        }
        own.texts.append(QStringView(own_.texts).mid(begin, end - begin));
    };
    qsizetype next = 0;
    for (const Replacement& replacement : replacements) {
        if (!changed(replacement)) {
            continue;
        }
        keep(next, replacement.entry);
        countUnits(own_.entry(static_cast<std::size_t>(replacement.entry)), -1);
        const qsizetype from = own.texts.size();
        own.starts.push_back(static_cast<std::uint32_t>(from));
        addText(own.texts, TextOrder::caseFoldKey(replacement.after->filename));
        addText(own.texts, TextOrder::caseFoldKey(replacement.after->notes));
        countUnits(QStringView(own.texts).mid(from), 1);
        next = replacement.entry + 1;
    }
    keep(next, entryCount());
    own_ = std::move(own);
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

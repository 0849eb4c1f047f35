#pragma once

#include <QHash>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <utility>
#include <vector>

namespace lumivex {

struct MediaItem;

// The searched texts of many entries, already case-folded, kept end to end in one buffer so that
// a search scans them in one pass instead of one call per text. Each text ends with U+0000, so a
// search text without U+0000 never matches across two texts or two entries. Built once, then
// read only; safe to read from any thread.
class SearchTextIndex {
public:
    // Adds an entry for the item: the case-fold keys of its file name, its notes and every value
    // it carries. Values repeat across items, so each distinct one is folded once per index.
    void addItem(const MediaItem& item);
    // Releases the room that building reserved beyond what the texts need.
    void finish();
    // Replaces the entries at these places (ascending, each once) by those of the items, as if
    // the index had been built with them; one pass over the texts.
    void replaceEntries(const std::vector<std::pair<qsizetype, const MediaItem*>>& entries);

    qsizetype entryCount() const { return static_cast<qsizetype>(starts_.size()); }
    // Marks, for every entry one of whose texts contains `foldedNeedle`, its element of `hits`
    // (resized to entryCount()). The needle must not hold U+0000; an empty needle marks all.
    void markMatches(QStringView foldedNeedle, std::vector<char>& hits) const;
    // The texts of one entry, each followed by U+0000.
    QStringView entryTexts(qsizetype entry) const;

    bool operator==(const SearchTextIndex&) const = default;

private:
    void addText(QStringView foldedText);
    // Appends the entries [from, to) of `source`.
    void appendEntries(const SearchTextIndex& source, qsizetype from, qsizetype to);
    void countUnits(QStringView texts, int sign);
    static std::size_t bucketOf(QChar unit);
    // The place in `needle` of its unit that occurs least often in the texts.
    qsizetype rarestUnit(QStringView needle) const;
    // The position of the next occurrence of `needle` at or after `from`, or -1.
    qsizetype find(QStringView needle, qsizetype rarest, qsizetype from) const;

    QString texts_;
    std::vector<std::uint32_t> starts_;      // a library's texts stay far below 2^32 units
    QHash<QString, QString> foldedValues_;   // while building
    std::vector<std::uint32_t> unitCounts_;  // how often the units of each bucket occur
};

}  // namespace lumivex

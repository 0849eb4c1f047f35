#pragma once

#include <QHash>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <utility>
#include <vector>

namespace lumivex {

struct MediaItem;
class MediaItems;

// The searched texts of many entries, already case-folded, kept end to end so that a search scans
// them in one pass instead of one call per text. Each text ends with U+0000, so a search text
// without U+0000 never matches across two texts or two entries. An entry's own texts (file name
// and notes) lie in one buffer; its values are one of the distinct combinations of values, each
// kept once in a second buffer, since most items of a library carry one of a few. Built once,
// then read only; safe to read from any thread.
class SearchTextIndex {
public:
    // Adds an entry for the item: the case-fold keys of its file name, its notes and every value
    // it carries. Values repeat across items, so each distinct one is folded once per index.
    void addItem(const MediaItem& item);
    // Adds an entry for each item, as addItem would one by one; the entries' own texts and their
    // values are made side by side.
    void addItems(const MediaItems& items);
    // Releases the room that building reserved beyond what the texts need.
    void finish();
    // One entry to replace: its place, the item it was made from and the item to make it of.
    struct Replacement {
        qsizetype entry = 0;
        const MediaItem* before = nullptr;
        const MediaItem* after = nullptr;
    };
    // Replaces the entries at these places (ascending, each once) by those of the items, as if
    // the index had been built with them. The entries' own texts are written again only when a
    // file name or a note changed, and then in one pass over them; new combinations of values are
    // appended.
    void replaceEntries(const std::vector<Replacement>& replacements);

    qsizetype entryCount() const { return static_cast<qsizetype>(own_.starts.size()); }
    // The room the distinct combinations of values take, in UTF-16 units.
    qsizetype combinationUnits() const { return combinations_.texts.size(); }
    // Marks, for every entry one of whose texts contains `foldedNeedle`, its element of `hits`
    // (resized to entryCount()). The needle must not hold U+0000; an empty needle marks all.
    void markMatches(QStringView foldedNeedle, std::vector<char>& hits) const;
    // The texts of one entry, each followed by U+0000: its own, then its values.
    QString entryTexts(qsizetype entry) const;

    // Equal when every entry holds the same texts, however the combinations are numbered.
    bool operator==(const SearchTextIndex& other) const;

private:
    // Texts end to end, each entry's beginning at its start.
    struct Buffer {
        QString texts;
        std::vector<std::uint32_t> starts;  // a library's texts stay far below 2^32 units

        QStringView entry(std::size_t index) const;
        void squeeze();
    };

    void addOwnTexts(const MediaItem& item);
    // Folded values by where their texts lie, for the length of one call: values mostly share
    // their texts with others, and a lookup by place reads no text.
    using FoldedByPlace = QHash<std::pair<const QChar*, qsizetype>, QString>;
    // The combination of the item's values, added when new.
    std::uint32_t combinationOf(const MediaItem& item);
    // The same for the replacement's new item, the values of the properties it kept taken from
    // the entry's combination instead of folded again.
    std::uint32_t replacedCombination(const Replacement& replacement, FoldedByPlace& byPlace);
    // The combination of the folded values in `scratch_`, added when new.
    std::uint32_t scratchCombination();
    const QString& foldedValue(const QString& value);
    // Makes room in the table of combinations for `count` of them.
    void reserveCombinations(std::size_t count);
    void releaseBuildRoom();
    // Counts the entries holding each combination, unless they are counted already.
    void countHolders();
    // Counts one entry more (`by` 1) or fewer (-1) holding the combination.
    void hold(std::uint32_t combination, int by);
    // Drops the combinations no entry holds.
    void dropUnheld();
    // Writes the own texts again, those of the replaced entries made from their new items.
    void replaceOwnTexts(const std::vector<Replacement>& replacements);
    void countUnits(QStringView texts, int sign);
    static std::size_t bucketOf(QChar unit);
    // The place in `needle` of its unit that occurs least often in the texts.
    qsizetype rarestUnit(QStringView needle) const;
    // Marks the entries of `buffer` one of whose texts contains `needle`.
    static void markIn(const Buffer& buffer, QStringView needle, qsizetype rarest,
                       std::vector<char>& hits);

    Buffer own_;                                // per entry: its file name and notes
    std::vector<std::uint32_t> combinationOf_;  // per entry: its combination of values
    Buffer combinations_;                       // each distinct combination's values once
    std::vector<std::uint32_t> unitCounts_;     // how often the units of each bucket occur in both
    // While building, and from the first replacement on: the combinations by a hash of their
    // texts, open addressed, each slot holding a combination's place plus one (0 when free).
    // While building, and from the first replacement on: the folded form of each value met. While
    // building or replacing: one item's folded values.
    std::vector<std::uint32_t> combinationSlots_;
    QHash<QString, QString> foldedValues_;
    // From the first replacement on: per combination, how many entries hold it, and the room
    // the combinations that none holds take.
    std::vector<std::uint32_t> holders_;
    std::size_t unheldUnits_ = 0;
    QString scratch_;
};

}  // namespace lumivex

#pragma once

#include "model/media_item.h"

#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumivex {

struct FileStatus;

// The records of a previous scan grouped by the key of their file identity, each group in the
// order of `previous`: the first record of a group, and for every record the next one of its group.
// An open-addressed table of (hash tag, first record) pairs, twice as long as `previous`, so that
// finding a group touches one slot and then the records themselves. A library holds far fewer
// than 2^31 records. Built once, then only read: any number of threads may find records at once.
class PreviousIndex {
public:
    explicit PreviousIndex(const QList<MediaItem>& previous);

    // The numbers an identity text names: the device and file numbers (when present) and the bits
    // of the creation time. They find a file's previous records without writing or hashing text.
    struct Key {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::uint64_t creationBits = 0;
        std::uint8_t present = 0;  // bit 0: device, bit 1: inode

        bool operator==(const Key&) const = default;
    };

    struct Match {
        QString identity;                      // the file's identity text
        const MediaItem* unchanged = nullptr;  // the first record of it with the same date and size
    };

    // A rescan of an unchanged folder meets its files in the order of the previous scan, so the
    // record after the last one found is tried first: read in order, the records stay in the
    // processor's cache, where a table probe per file would miss it several times. One cursor per
    // thread and folder; it only makes finding faster, never changes what is found.
    struct Cursor {
        std::size_t expected = 0;  // the record after the last unchanged one found
    };

    // The identity is written to the stack and compared there; a file known before takes the
    // previous record's text, shared instead of allocated.
    Match find(const FileStatus& status, const Date& modified, std::int64_t size,
               Cursor& cursor) const;

private:
    struct Slot {
        std::uint32_t tag = 0;
        std::int32_t first = -1;  // none: the slot is free
    };

    const MediaItem* nextInOrder(const Key& key, QLatin1String identity, const Date& modified,
                                 std::int64_t size, Cursor& cursor) const;
    std::size_t slotOf(const Key& key, std::uint32_t tag, std::uint64_t hash) const;
    std::int32_t first(const Key& key) const;

    const QList<MediaItem>& previous_;
    std::vector<std::int32_t> next_;
    std::vector<Key> keys_;
    std::vector<bool> leads_;  // whether a record is the first of its group
    std::vector<Slot> slots_;
};

}  // namespace lumivex

#pragma once

#include <QHash>
#include <QSet>
#include <QString>

#include <cstdint>
#include <vector>

namespace lumivex {

struct LibraryBrowseSnapshot;

// The shown items of a browse snapshot grouped by folder, so that the items of a few folders are
// found without walking the library. It stays valid while its snapshot follows edits in place,
// which move no item and rename no folder. Main thread.
class FolderMembers {
public:
    explicit FolderMembers(const LibraryBrowseSnapshot& snapshot);

    // The places in the snapshot's items of the items in the folders with these NFC keys, in
    // ascending order.
    std::vector<std::uint32_t> places(const QSet<QString>& keys) const;

private:
    QHash<QString, std::uint32_t> numbers_;  // NFC folder key → its number in the snapshot
    std::vector<std::uint32_t> starts_;      // per folder number, where its places begin; one more
    std::vector<std::uint32_t> places_;      // the items' places, grouped by folder, ascending
};

}  // namespace lumivex

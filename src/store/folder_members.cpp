#include "store/folder_members.h"

#include "model/library_browse_snapshot.h"

#include <algorithm>
#include <numeric>

namespace lumivex {

// A counting sort of the items by their folder's number: one pass to count, one to place.
FolderMembers::FolderMembers(const LibraryBrowseSnapshot& snapshot) {
    const QStringList& keys = snapshot.queryKeys.folders;
    const std::vector<std::uint32_t>& folderOfItem = snapshot.queryKeys.folderOfItem;
    numbers_.reserve(keys.size());
    for (qsizetype i = 0; i < keys.size(); ++i) {
        numbers_.insert(keys[i], static_cast<std::uint32_t>(i));
    }
    starts_.assign(static_cast<size_t>(keys.size()) + 1, 0);
    for (const std::uint32_t folder : folderOfItem) {
        ++starts_[folder + 1];
    }
    std::partial_sum(starts_.begin(), starts_.end(), starts_.begin());
    places_.resize(folderOfItem.size());
    std::vector<std::uint32_t> next(starts_.begin(), starts_.end() - 1);
    for (size_t place = 0; place < folderOfItem.size(); ++place) {
        places_[next[folderOfItem[place]]++] = static_cast<std::uint32_t>(place);
    }
}

std::vector<std::uint32_t> FolderMembers::places(const QSet<QString>& keys) const {
    std::vector<std::uint32_t> result;
    for (const QString& key : keys) {
        const auto found = numbers_.constFind(key);
        if (found != numbers_.constEnd()) {
            result.insert(result.end(), places_.begin() + starts_[*found],
                          places_.begin() + starts_[*found + 1]);
        }
    }
    std::sort(result.begin(), result.end());
    return result;
}

}  // namespace lumivex

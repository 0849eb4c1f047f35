#include "store/metadata_undo_history.h"

#include <numeric>
#include <utility>

namespace lumivex {

std::int64_t MetadataUndoHistory::Entry::retainedSize() const {
    return before.library.items.size() + after.library.items.size() +
           before.deleted.records.size() + after.deleted.records.size();
}

void MetadataUndoHistory::record(QString title, LibraryState before, LibraryState after) {
    if (before == after) {
        return;
    }
    redo_.clear();
    undo_.append(Entry{std::move(title), std::move(before), std::move(after)});
    trim();
}

// Oldest steps go first; the newest always stays, however large, so the step just taken can
// still be undone.
void MetadataUndoHistory::trim() {
    std::int64_t retained = std::accumulate(
        undo_.cbegin(), undo_.cend(), std::int64_t{0},
        [](std::int64_t sum, const Entry& entry) { return sum + entry.retainedSize(); });
    while (undo_.size() > 1 && (undo_.size() > maximumEntries || retained > maximumRetainedItems)) {
        retained -= undo_.constFirst().retainedSize();
        undo_.removeFirst();
    }
}

void MetadataUndoHistory::didUndo() {
    if (!undo_.isEmpty()) {
        redo_.append(undo_.takeLast());
    }
}

void MetadataUndoHistory::didRedo() {
    if (!redo_.isEmpty()) {
        undo_.append(redo_.takeLast());
    }
}

void MetadataUndoHistory::clear() {
    undo_.clear();
    redo_.clear();
}

}  // namespace lumivex

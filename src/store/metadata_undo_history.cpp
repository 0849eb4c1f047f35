#include "store/metadata_undo_history.h"

#include <QThreadPool>

#include <numeric>
#include <utility>

namespace lumivex {

std::int64_t MetadataUndoHistory::Entry::retainedSize() const {
    return before.library.items.size() + after.library.items.size() +
           before.deleted.records.size() + after.deleted.records.size();
}

namespace {

// A step's libraries hold the items its edit replaced, thousands after an edit of many: a worker
// frees them.
void freeElsewhere(QList<MetadataUndoHistory::Entry> entries) {
    if (!entries.isEmpty()) {
        QThreadPool::globalInstance()->start([entries = std::move(entries)] {});
    }
}

}  // namespace

void MetadataUndoHistory::record(QString title, LibraryState before, LibraryState after) {
    if (before == after) {
        return;
    }
    freeElsewhere(std::exchange(redo_, {}));
    undo_.append(Entry{std::move(title), std::move(before), std::move(after)});
    trim();
}

// Oldest steps go first; the newest always stays, however large, so the step just taken can
// still be undone.
void MetadataUndoHistory::trim() {
    std::int64_t retained = std::accumulate(
        undo_.cbegin(), undo_.cend(), std::int64_t{0},
        [](std::int64_t sum, const Entry& entry) { return sum + entry.retainedSize(); });
    QList<Entry> dropped;
    while (undo_.size() > 1 && (undo_.size() > maximumEntries || retained > maximumRetainedItems)) {
        retained -= undo_.constFirst().retainedSize();
        dropped.append(undo_.takeFirst());
    }
    freeElsewhere(std::move(dropped));
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

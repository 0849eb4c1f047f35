#include "store/long_work.h"

#include "catalog/library_state.h"
#include "store/shell_services.h"

#include <algorithm>

namespace lumivex {

namespace {

// Everything of a library but its items.
Library withoutItems(Library library) {
    library.items = MediaItems();
    return library;
}

}  // namespace

// The one rule for when the window shows that it cannot answer. The work is judged before it
// starts, so that the sign reaches the screen before the main thread stops, and by how many
// items it goes through rather than by how long it took last time, so that it holds whatever
// the work comes to cost. A save renders and compares the catalog text of every folder whose
// items changed, some tens of microseconds per item on a small machine: 10,000 items keep the
// window still for about a quarter second, where a person starts to wonder whether it heard the
// click. A rating changes one chunk of items and stays far below, so culling by keys never
// flashes the pointer; a change to a whole large library always shows it.
LongWork::LongWork(ShellServices& shell, qsizetype items) {
    if (items >= longItems) {
        shell_ = &shell;
        shell_->beginLongWork();
    }
}

LongWork::~LongWork() {
    if (shell_) {
        shell_->endLongWork();
    }
}

qsizetype LongWork::itemsSaved(const LibraryState& before, const LibraryState& after,
                               LibrarySource source) {
    const MediaItems& old = before.library.items;
    const MediaItems& next = after.library.items;
    if (source != LibrarySource::folder || before.deleted != after.deleted ||
        withoutItems(before.library) != withoutItems(after.library)) {
        return std::max(old.size(), next.size());
    }
    qsizetype items = 0;
    for (qsizetype chunk = 0; chunk < std::max(old.chunkCount(), next.chunkCount()); ++chunk) {
        if (!next.sharesChunkWith(old, chunk)) {
            items += MediaItems::chunkCapacity;
        }
    }
    return items;
}

}  // namespace lumivex

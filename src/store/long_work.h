#pragma once

#include "model/library_source.h"

#include <QtGlobal>

#include <limits>

namespace lumivex {

class ShellServices;
struct LibraryState;

// A stretch of synchronous work on the main thread (a save, a load, the check before an undo)
// that may keep the window from answering. Whether it counts as long is told before it starts,
// from the number of items it goes through, and then the desktop is told for as long as this
// lives, a throw through the work included. Main thread.
class LongWork {
public:
    // Work that goes through at least this many items counts as long (see the .cpp for why).
    static constexpr qsizetype longItems = 10'000;
    // The extent of work whose size is not known before it starts: an open reads a tree of any
    // size.
    static constexpr qsizetype unmeasured = std::numeric_limits<qsizetype>::max();

    LongWork(ShellServices& shell, qsizetype items);
    ~LongWork();
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

    // The items a save of `after` over `before` goes through. A folder tree's save: those of every
    // chunk of items the change did not share, or every item when it changed more than the items
    // (properties, the folders' schemas, the deleted records), which may rewrite every folder.
    // The photo library's one catalog is rendered whole by every save.
    static qsizetype itemsSaved(const LibraryState& before, const LibraryState& after,
                                LibrarySource source);

private:
    ShellServices* shell_ = nullptr;  // none while the work counts as short
};

}  // namespace lumivex

#pragma once

#include "catalog/library_state.h"

#include <QTemporaryDir>

namespace lumivex::bench {

// The synthetic library with a small file behind every item, saved as a tree and loaded back,
// settled so that loads and scans of it show the steady state.
struct MediaTree {
    static constexpr int itemCount = 100000;
    static constexpr int folderCount = 1000;

    QTemporaryDir folder;
    LibraryState loaded;

    MediaTree();
};

// Writes the synthetic library into `root` as MediaTree does and gives the state a load gives.
LibraryState writeMediaTree(const QString& root);
// The same in a child process, so that nothing of its making stays in this one. Throws when the
// child fails.
void writeMediaTreeElsewhere(const QString& root);

// Files younger than the coarsest time stamp step are read again on every save; a tree is left to
// settle after each write so that the measurements show the steady state.
void settleTree();

}  // namespace lumivex::bench

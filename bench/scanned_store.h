#pragma once

#include "store/lumivex_store.h"
#include "unwatched_store_services.h"

#include <QString>

#include <memory>

namespace lumivex::bench {

// The calling thread's processor time in seconds.
double threadSeconds();

// A store with the real scanner, opened on `root` once its first scan ended; with the real folder
// watcher as the application has it when `watched`, with none otherwise. Throws when the store
// did not open the media tree (bench::MediaTree) whole.
struct ScannedStore : UnwatchedStoreServices {
    std::unique_ptr<LumivexStore> store;

    explicit ScannedStore(const QString& root, bool watched = false);

    // Until the scan is merged and the views a window reads are built, as the window would wait.
    // Each turn of the event loop is timed: the longest turn that read catalogs (the tree read
    // back after the scan) and the longest of the others, since the last settle.
    void settle();

    double openSeconds = 0;
    double openProcessorSeconds = 0;  // of the main thread
    double longestLoadTurn = 0;
    double longestOtherTurn = 0;
};

}  // namespace lumivex::bench

#include "scanned_store.h"

#include "bench_run.h"
#include "catalog/catalog_cache.h"
#include "media_tree.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <stdexcept>

namespace lumivex::bench {

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

double threadSeconds() {
    struct timespec time {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) / 1e9;
}

ScannedStore::ScannedStore(const QString& root, bool watched) {
    ensureCoreApplication();
    LumivexStore::Services withWatcher = services();
    if (watched) {
        withWatcher.watchers = nullptr;  // the store's own: the folder watcher
    }
    store = std::make_unique<LumivexStore>(std::move(withWatcher));
    const Clock::time_point start = Clock::now();
    const double processorStart = threadSeconds();
    store->openLibrary(root, false, false);
    openSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    openProcessorSeconds = threadSeconds() - processorStart;
    settle();
    if (store->locked() || store->library().items.size() != MediaTree::itemCount) {
        throw std::runtime_error("the store did not open the media tree");
    }
}

void ScannedStore::settle() {
    longestLoadTurn = 0;
    longestOtherTurn = 0;
    while (store->scanning() || store->derivedViewsPending()) {
        const std::uint64_t reads = CatalogCache::shared().folderReads();
        const Clock::time_point start = Clock::now();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        const double turn = std::chrono::duration<double>(Clock::now() - start).count();
        double& longest =
            CatalogCache::shared().folderReads() != reads ? longestLoadTurn : longestOtherTurn;
        longest = std::max(longest, turn);
        QThread::usleep(200);
    }
    QCoreApplication::sendPostedEvents();
}

}  // namespace lumivex::bench

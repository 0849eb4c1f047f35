// The whole process's resident memory (VmRSS) with the main window open on a folder library of
// 100,000 media files in 1,000 folders: before the open, once the open's first scan is merged and
// the views built, and after twenty rating edits, each per item, beside the wall time of the open.
//
// Allocators are chosen for the whole process, so each is measured by a run of this program of its
// own (memory/compare_allocators.sh); run nothing else in the same process. The tree is written by
// a child process before anything else, so that none of its making stays in this one; with
// LUMIVEX_MEMORY_TREE naming a folder, the tree is written there when the folder is empty and kept,
// so that runs after the first reuse it.

#include "bench_run.h"
#if LUMIVEX_JEMALLOC
#include "app/allocator_options.h"
#endif
#include "browser/lumivex_view.h"
#include "browser/media_grid_view.h"
#include "browser/store_region.h"
#include "catalog/folder_catalog.h"
#include "media/photos_thumbnail_cache.h"
#include "media/thumbnail_cache.h"
#include "media_tree.h"
#include "store/lumivex_store.h"
#include "unwatched_store_services.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <QThreadPool>

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/resource.h>
#include <ctime>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

using namespace lumivex;
using lumivex::bench::millisecondsOf;

namespace {

// The folder the child wrote the media tree into; set once in main() before the application.
QString mediaTree;

// A field of /proc/self/status in bytes: "VmRSS" (all resident pages), "RssFile" (those of mapped
// files: code, fonts).
double statusBytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ':', 0) == 0) {
            return std::stod(line.substr(field.size() + 1)) * 1024;
        }
    }
    throw std::runtime_error("no " + field + " in /proc/self/status");
}

// The processor time of the calling thread, in milliseconds.
double threadMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The processor time of every thread of the process so far, in milliseconds.
double processMilliseconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

double residentBytes() {
    return statusBytes("VmRSS");
}

// After a second with no event handled: pages the allocator hands back by a thread of its own
// some time after they were freed are gone by then, as they are from a user's idle application.
double residentAfterIdle() {
    QThread::msleep(1100);
    return residentBytes();
}

// The window the application shows, on a store with the real scanner and no folder watcher.
struct Window : bench::UnwatchedStoreServices {
    std::unique_ptr<LumivexStore> store;
    ThumbnailCache thumbnails;
    PhotosThumbnailCache photosThumbnails;
    std::unique_ptr<LumivexView> view;
    MediaGridView* grid = nullptr;
    int releases = 0;  // how often freed pages were handed back

    Window() {
        store = std::make_unique<LumivexStore>(services());
        view = std::make_unique<LumivexView>(*store, defaults);
        grid = new MediaGridView({store.get(), &defaults, &shell, &thumbnails, &photosThumbnails});
        view->setGrid(grid);
        view->resize(1280, 840);
        view->show();
#if LUMIVEX_JEMALLOC
        // As the application does when it settles; the figures are read once the pool is done.
        for (auto signal : {&LumivexStore::derivedViewsReady, &LumivexStore::lastSavedChanged}) {
            QObject::connect(store.get(), signal, [this] {
                ++releases;
                QThreadPool::globalInstance()->start(&AllocatorOptions::releaseFreedPages);
            });
        }
#endif
        settle();
    }

    // Until the scan is merged, the views are built and every region has redrawn.
    void settle() {
        while (store->scanning() || store->derivedViewsPending()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            QThread::usleep(200);
        }
        for (int turn = 0; turn < 3; ++turn) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            for (StoreRegion* region : view->findChildren<StoreRegion*>()) {
                region->refreshIfStale();
            }
        }
        grid->viewport()->repaint();
    }
};

// Counters in KiB per item are the whole process's resident memory divided by the items, not
// growths: "before" with the window shown on no library, "opened" with the library open, its first
// scan merged and its views built, "edited" after twenty rating edits; "idle" the same a second
// later with no event handled; "trimmed" after a further
// malloc_trim(0), which only the system allocator heeds; "of files" the pages of mapped files among
// the last and "anonymous" the rest (heap, stacks, relocated library data); "before of files" the
// pages of mapped files before the open. The open's wall time is the open call
// (the tree's load) plus the turns until the scan is merged and the views built; the tree's load
// alone is measured last, in the same process, as its reference.
void windowResidentMemory(benchmark::State& state) {
    const QString root = mediaTree;
    const double items = bench::MediaTree::itemCount;
    for (auto _ : state) {
        Window window;
        const double before = residentBytes();
        const double beforeFiles = statusBytes("RssFile");
        const double openStart = threadMilliseconds();
        const double processBefore = processMilliseconds();
        const double openCall =
            millisecondsOf([&] { window.store->openLibrary(root, false, false); });
        const double views = millisecondsOf([&] { window.settle(); });
        const double openProcessor = threadMilliseconds() - openStart;
        const double processOpen = processMilliseconds() - processBefore;
        // The store hands replaced libraries and views to the global pool to be freed; the figures
        // are of the settled process, after those tasks, which the open's time does not wait for.
        QThreadPool::globalInstance()->waitForDone();
        const double opened = residentBytes();
        const double openedIdle = residentAfterIdle();
        ::malloc_trim(0);
        const double openedTrimmed = residentBytes();
        for (int step = 0; step < 20; ++step) {
            const MediaItem& item = window.store->library().items[step * 5000];
            window.store->setRating(static_cast<int>((item.rating + 1) % 6), item.id);
            window.settle();
        }
        QThreadPool::globalInstance()->waitForDone();
        const double edited = residentBytes();
        const double editedIdle = residentAfterIdle();
        ::malloc_trim(0);
        const double editedTrimmed = residentBytes();
        if (window.store->locked() || window.store->library().items.size() != items) {
            state.SkipWithError("the store did not open the media tree");
        }
        state.counters["before KiB/item"] = before / 1024 / items;
        state.counters["opened KiB/item"] = opened / 1024 / items;
        state.counters["opened trimmed KiB/item"] = openedTrimmed / 1024 / items;
        state.counters["edited KiB/item"] = edited / 1024 / items;
        state.counters["edited idle KiB/item"] = editedIdle / 1024 / items;
        state.counters["opened idle KiB/item"] = openedIdle / 1024 / items;
        state.counters["edited trimmed KiB/item"] = editedTrimmed / 1024 / items;
        state.counters["of files KiB/item"] = statusBytes("RssFile") / 1024 / items;
        state.counters["anonymous KiB/item"] = statusBytes("RssAnon") / 1024 / items;
        state.counters["before of files KiB/item"] = beforeFiles / 1024 / items;
        state.counters["steps kept"] =
            static_cast<double>(window.store->metadataHistory().undo().size());
        state.counters["open call ms"] = openCall;
        state.counters["open to views ms"] = openCall + views;
        state.counters["open to views main-thread CPU ms"] = openProcessor;
        state.counters["open process CPU ms"] = processOpen;
        state.counters["releases"] = window.releases;
        state.counters["load alone ms"] = millisecondsOf(
            [&] { benchmark::DoNotOptimize(FolderCatalog::load(root, std::nullopt)); });
    }
}
BENCHMARK(windowResidentMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir made;
    mediaTree = qEnvironmentVariable("LUMIVEX_MEMORY_TREE", made.path());
    if (QDir(mediaTree).isEmpty()) {
        bench::writeMediaTreeElsewhere(mediaTree);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Work on the whole of a folder library of 100,000 files in 1,000 folders through the store, with
// the real scanner and folder watcher, each step set beside the tree load measured in the same
// iteration (wall time and every thread's processor time):
//
// storeBulkNewOption: every item selected, a new option of the tags created and applied to all of
// them (as the inspector's "+ 생성" does), which writes all 1,000 folders; then the rescan the
// watcher asks for after those writes of the store's own; then the undo of the edit, which writes
// them all again, and the rescan after it.
//
// storeFirstOpenWithoutCatalogs: the tree without any catalog opened in a new store, to its first
// scan merged and saved (1,000 folders written) and the views built; then the rescan the watcher
// asks for after those writes.
//
// The longest turn of the main thread in each step is what the window would not answer for.

#include "bench_run.h"
#include "catalog/catalog_cache.h"
#include "catalog/catalog_stamps.h"
#include "catalog/folder_catalog.h"
#include "media_tree.h"
#include "platform/atomic_file.h"
#include "scanned_store.h"
#include "store/catalog_digests.h"
#include "store/lumivex_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QThread>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace lumivex;

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bench::MediaTree& tree() {
    static const std::unique_ptr<bench::MediaTree> instance = std::make_unique<bench::MediaTree>();
    return *instance;
}

// Wall and whole-process processor time of one step, and the longest turn of the main thread in it
// (the step's own call counts as one turn).
struct Step {
    double wallMs = 0;
    double processorMs = 0;
    double longestTurnMs = 0;
};

class StepTimer {
public:
    StepTimer() : start_(Clock::now()), processorStart_(bench::processProcessorMilliseconds()) {}

    Step done(double longestTurnMs) const {
        return {millisecondsSince(start_), bench::processProcessorMilliseconds() - processorStart_,
                longestTurnMs};
    }

private:
    Clock::time_point start_;
    double processorStart_;
};

// Turns of the event loop, each timed, until `done`; the longest turn in milliseconds. False in
// `finished` when `done` did not come within `limitMs`.
template <typename Done>
double turnUntil(const Done& done, bool& finished, double limitMs) {
    double longest = 0;
    const Clock::time_point start = Clock::now();
    while (!done()) {
        if (millisecondsSince(start) > limitMs) {
            finished = false;
            return longest;
        }
        const Clock::time_point turn = Clock::now();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        longest = std::max(longest, millisecondsSince(turn));
        QThread::usleep(200);
    }
    QCoreApplication::sendPostedEvents();
    return longest;
}

// The steps of one iteration beside their reference, summed over the iterations; the longest turns
// are the worst of them.
class Figures {
public:
    void add(const std::string& name, const Step& step) {
        Step& sum = steps_[name];
        sum.wallMs += step.wallMs;
        sum.processorMs += step.processorMs;
        sum.longestTurnMs = std::max(sum.longestTurnMs, step.longestTurnMs);
    }

    void report(benchmark::State& state) const {
        const auto n = static_cast<double>(state.iterations());
        const Step& load = steps_.at("load");
        for (const auto& [name, step] : steps_) {
            state.counters[name + "_ms"] = step.wallMs / n;
            state.counters[name + "_process_cpu_ms"] = step.processorMs / n;
            if (name == "load") {
                continue;
            }
            state.counters[name + "_longest_turn_ms"] = step.longestTurnMs;
            state.counters[name + "_per_load"] = step.wallMs / load.wallMs;
            state.counters[name + "_per_load_process_cpu"] = step.processorMs / load.processorMs;
        }
    }

private:
    std::map<std::string, Step> steps_;
};

// The tree load of the store's root, the reference of every step.
Step treeLoad(const QString& root) {
    const StepTimer timer;
    benchmark::DoNotOptimize(FolderCatalog::load(root, std::nullopt));
    return timer.done(0);
}

// A store with the real scanner and watcher, on a clock that moves by hand: the rescan a batch of
// the watcher asks for starts when the debounce's wait is passed.
struct WatchedStore {
    bench::ScannedStore opened;
    LumivexStore& store = *opened.store;

    explicit WatchedStore(const QString& root) : opened(root, true) {}

    // Whether the debounce of a batch of the watcher waits (the maintenance waits for hours).
    bool rescanAsked() const {
        const std::vector<double> waits = opened.clock.pendingWaits();
        return std::any_of(waits.begin(), waits.end(), [](double wait) { return wait <= 1.0; });
    }

    // The watcher's events of the writes just made read, its batch passed and the rescan it asks
    // for run to its end with the views built, as often as the watcher asks again within a
    // second. Timed from each debounce passed to that rescan's end; the longest turn also counts
    // the turns that read the events.
    Step watcherRescan(bool& finished) {
        Step step;
        step.longestTurnMs = turnUntil([this] { return rescanAsked(); }, finished, 60000);
        bool asked = finished;
        while (asked) {
            const StepTimer timer;
            opened.clock.advance(1.0);
            const Step rescan = timer.done(
                turnUntil([this] { return !store.scanning() && !store.derivedViewsPending(); },
                          finished, 60000));
            step.wallMs += rescan.wallMs;
            step.processorMs += rescan.processorMs;
            step.longestTurnMs = std::max(step.longestTurnMs, rescan.longestTurnMs);
            step.longestTurnMs = std::max(step.longestTurnMs,
                                          turnUntil([this] { return rescanAsked(); }, asked, 1000));
            asked = asked && finished;
        }
        return step;
    }

    // `work` run on the main thread as one turn, then the turns until the views are built.
    template <typename Work>
    Step measured(const Work& work, bool& finished) {
        const StepTimer timer;
        const Clock::time_point call = Clock::now();
        work();
        const double callMs = millisecondsSince(call);
        const double turns =
            turnUntil([this] { return !store.derivedViewsPending(); }, finished, 60000);
        return timer.done(std::max(callMs, turns));
    }
};

Category tagsOf(const Library& library) {
    for (const Category& category : library.categories) {
        if (category.name == QStringLiteral("태그")) {
            return category;
        }
    }
    return {};
}

void storeBulkNewOption(benchmark::State& state) {
    const QString root = tree().folder.path();
    WatchedStore watched(root);
    LumivexStore& store = watched.store;
    std::uint64_t rescanReads = 0;
    std::atomic<int> writes = 0;  // the writes of folders side by side count on their threads
    int rescanWrites = 0;
    AtomicFile::setFaultHook([&writes](AtomicFile::Stage stage, const QString&) {
        writes += stage == AtomicFile::Stage::beforeRename ? 1 : 0;
    });
    Figures figures;
    bool finished = true;
    int round = 0;
    for (auto _ : state) {
        figures.add("load", treeLoad(root));
        // The load took the place of the store's own lists as the ones a save compares with:
        // a rescan gives them back, as the open's scan left them.
        store.rescan(false);
        watched.opened.settle();
        bench::settleTree();
        store.selectAllVisible();
        const QString option = QStringLiteral("bulk-%1").arg(++round);
        figures.add(
            "edit",
            watched.measured([&] { store.addLabel(option, tagsOf(store.library())); }, finished));
        const std::uint64_t reads = CatalogCache::shared().folderReads();
        const int written = writes;
        figures.add("rescan_after_edit", watched.watcherRescan(finished));
        rescanReads += CatalogCache::shared().folderReads() - reads;
        rescanWrites += writes - written;
        bench::settleTree();
        if (!store.metadataHistory().canUndo()) {
            state.SkipWithError("the rescan dropped the undo step");
            break;
        }
        figures.add("undo", watched.measured([&] { store.undoMetadata(); }, finished));
        figures.add("rescan_after_undo", watched.watcherRescan(finished));
    }
    AtomicFile::setFaultHook({});
    if (store.locked() || !finished || !store.metadataHistory().canRedo()) {
        state.SkipWithError("the store locked, did not settle or lost its steps");
    }
    figures.report(state);
    state.counters["rescan_after_edit_folder_reads"] =
        static_cast<double>(rescanReads) / static_cast<double>(state.iterations());
    state.counters["rescan_after_edit_file_writes"] =
        static_cast<double>(rescanWrites) / static_cast<double>(state.iterations());
}
BENCHMARK(storeBulkNewOption)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// Every metadata folder of the tree removed, and what this process knew of them forgotten, as in
// a process that never saw the tree.
void removeCatalogs(const QString& root) {
    QStringList metadata;
    QDirIterator folders(root, {QStringLiteral(".lumivex")}, QDir::Dirs | QDir::Hidden,
                         QDirIterator::Subdirectories);
    while (folders.hasNext()) {
        metadata.append(folders.next());
    }
    for (const QString& folder : metadata) {
        QDir(folder).removeRecursively();
    }
    CatalogCache::shared().clear();
    CatalogStamps::clear();
    CatalogDigests::shared().clear();
}

void storeFirstOpenWithoutCatalogs(benchmark::State& state) {
    const QString root = tree().folder.path();
    Figures figures;
    bool finished = true;
    double openCallMs = 0;
    for (auto _ : state) {
        removeCatalogs(root);
        bench::settleTree();
        const StepTimer timer;
        {
            WatchedStore watched(root);
            const bench::ScannedStore& opened = watched.opened;
            openCallMs += opened.openSeconds * 1000;
            // The window shows once the open call returned: the turns after it are what it
            // would not answer for.
            figures.add("open", timer.done(1000 * std::max(opened.longestLoadTurn,
                                                           opened.longestOtherTurn)));
            figures.add("rescan_after_open", watched.watcherRescan(finished));
        }
        figures.add("load", treeLoad(root));
    }
    if (!finished) {
        state.SkipWithError("the store did not settle");
    }
    figures.report(state);
    state.counters["open_call_ms"] = openCallMs / static_cast<double>(state.iterations());
}
BENCHMARK(storeFirstOpenWithoutCatalogs)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace

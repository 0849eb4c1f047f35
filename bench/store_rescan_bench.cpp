// The store on a folder library of 100,000 files in 1,000 folders with the real scanner: the
// rescan of the unchanged tree (scan, merge and the commit that writes nothing) against the bare
// walk plus the load of the same tree, and the resident memory with twenty undo steps recorded.

#include "bench_run.h"
#include "catalog/folder_catalog.h"
#include "heap_in_use.h"
#include "media_tree.h"
#include "platform/atomic_file.h"
#include "scanned_store.h"
#include "store/lumivex_store.h"
#include "tree_walk.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

using namespace lumivex;

namespace {

using Clock = std::chrono::steady_clock;
using bench::ScannedStore;
using bench::threadSeconds;

bench::MediaTree& tree() {
    static const std::unique_ptr<bench::MediaTree> instance = std::make_unique<bench::MediaTree>();
    return *instance;
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Each iteration measures the reference (readdir and statx over the tree, then FolderCatalog::load)
// and then the store's rescan to its end, so both see the same load of the machine. The time is
// the rescan's; "ratio" is the rescans' total over the references', and the processor time of every
// thread is counted beside each.
void storeRescanUnchangedTree(benchmark::State& state) {
    const QString root = tree().folder.path();
    ScannedStore opened(root);
    int writes = 0;
    AtomicFile::setFaultHook([&writes](AtomicFile::Stage, const QString&) { ++writes; });
    double reference = 0;
    double rescans = 0;
    double referenceCpu = 0;
    double rescansCpu = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        const double processorStart = bench::processProcessorMilliseconds();
        benchmark::DoNotOptimize(bench::walkTree(QFile::encodeName(root)));
        benchmark::DoNotOptimize(FolderCatalog::load(root, std::nullopt));
        const Clock::time_point rescanStart = Clock::now();
        const double rescanProcessorStart = bench::processProcessorMilliseconds();
        opened.store->rescan(false);
        opened.settle();
        const double rescan = secondsSince(rescanStart);
        rescansCpu += bench::processProcessorMilliseconds() - rescanProcessorStart;
        referenceCpu += rescanProcessorStart - processorStart;
        reference += std::chrono::duration<double>(rescanStart - start).count();
        rescans += rescan;
        state.SetIterationTime(rescan);
    }
    AtomicFile::setFaultHook({});
    if (opened.store->locked()) {
        state.SkipWithError("the store locked");
    }
    state.counters["reference ms"] = reference * 1000 / static_cast<double>(state.iterations());
    state.counters["ratio"] = rescans / reference;
    state.counters["rescan process CPU ms"] = rescansCpu / static_cast<double>(state.iterations());
    state.counters["reference process CPU ms"] =
        referenceCpu / static_cast<double>(state.iterations());
    state.counters["process CPU ratio"] = rescansCpu / referenceCpu;
    state.counters["file writes"] = writes;
}
BENCHMARK(storeRescanUnchangedTree)
    ->MeasureProcessCPUTime()
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Opening the tree (its catalogs written) in a new store with the folder watcher, as the
// application opens it, up to its first scan merged and the views built, then the first edit after
// it until the views a window reads are ready again. The open call (which starts the watcher and
// loads the tree) is set beside the tree load alone, measured just before in the same iteration;
// every later main-thread turn is timed. Counters are the worst of the iterations.
void storeOpenFirstScanTurns(benchmark::State& state) {
    const QString root = tree().folder.path();
    double loadMs = 0;
    double openMs = 0;
    double openRatio = 0;
    double loadCpuMs = 0;
    double openCpuMs = 0;
    double openCpuRatio = 0;
    double loadTurns = 0;
    double otherTurns = 0;
    double editMs = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        const double processorStart = threadSeconds();
        benchmark::DoNotOptimize(FolderCatalog::load(root, std::nullopt));
        const double load = secondsSince(start);
        const double loadProcessor = threadSeconds() - processorStart;
        ScannedStore opened(root, true);
        loadCpuMs = std::max(loadCpuMs, loadProcessor * 1000);
        openCpuMs = std::max(openCpuMs, opened.openProcessorSeconds * 1000);
        openCpuRatio = std::max(openCpuRatio, opened.openProcessorSeconds / loadProcessor);
        loadMs = std::max(loadMs, load * 1000);
        openMs = std::max(openMs, opened.openSeconds * 1000);
        openRatio = std::max(openRatio, opened.openSeconds / load);
        loadTurns = std::max(loadTurns, opened.longestLoadTurn);
        otherTurns = std::max(otherTurns, opened.longestOtherTurn);
        LumivexStore& store = *opened.store;
        const MediaItem& item = store.library().items[0];
        const Clock::time_point edit = Clock::now();
        store.setRating(static_cast<int>((item.rating + 1) % 6), item.id);
        benchmark::DoNotOptimize(store.browseSnapshot());
        benchmark::DoNotOptimize(store.visibleOrder());
        benchmark::DoNotOptimize(store.editableProperties());
        editMs = std::max(editMs, secondsSince(edit) * 1000);
    }
    state.counters["tree load alone ms"] = loadMs;
    state.counters["open call ms"] = openMs;
    state.counters["open call over load"] = openRatio;
    state.counters["tree load alone main-thread CPU ms"] = loadCpuMs;
    state.counters["open call main-thread CPU ms"] = openCpuMs;
    state.counters["open call over load, main-thread CPU"] = openCpuRatio;
    state.counters["longest turn reading the tree ms"] = loadTurns * 1000;
    state.counters["longest other turn ms"] = otherTurns * 1000;
    state.counters["first edit with views ms"] = editMs;
}
BENCHMARK(storeOpenFirstScanTurns)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// The process's resident memory in bytes.
double residentBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stod(line.substr(6)) * 1024;
        }
    }
    throw std::runtime_error("no VmRSS in /proc/self/status");
}

// The whole process's resident memory with the library open and twenty rating steps recorded,
// per item; meaningful when run alone (--benchmark_filter=storeUndoHistoryMemory), as every
// other benchmark's tree stays in memory.
void storeUndoHistoryMemory(benchmark::State& state) {
    for (auto _ : state) {
        QTemporaryDir media;
        bench::writeMediaTreeElsewhere(media.path());
        const double before = residentBytes();
        ScannedStore opened(media.path());
        ::malloc_trim(0);
        const double open = residentBytes();
        LumivexStore& store = *opened.store;
        for (int step = 0; step < 20; ++step) {
            const MediaItem& item = store.library().items[step * 5000];
            store.setRating(static_cast<int>((item.rating + 1) % 6), item.id);
            opened.settle();
        }
        ::malloc_trim(0);
        const double recorded = residentBytes();
        const double items = bench::MediaTree::itemCount;
        state.counters["KiB per item"] = recorded / 1024 / items;
        state.counters["allocated KiB per item"] =
            static_cast<double>(bench::heapInUse()) / 1024 / items;
        state.counters["before KiB per item"] = before / 1024 / items;
        state.counters["opened KiB per item"] = (open - before) / 1024 / items;
        state.counters["steps KiB per item"] = (recorded - open) / 1024 / items;
        state.counters["steps kept"] = static_cast<double>(store.metadataHistory().undo().size());
        if (store.locked()) {
            state.SkipWithError("the store locked");
        }
    }
}
BENCHMARK(storeUndoHistoryMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

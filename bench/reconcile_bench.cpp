// The merge of a rescan into the state of a folder library of 100,000 items in 1,000 folders
// (LibraryState::reconcileFolder), as the store runs it after every scan: once with every file
// found unchanged, once with about 1 % of the files renamed, removed or added. The reference,
// timed in the same run, is the plain merge of tests/support/plain_reconcile: every key spelled
// out and normalized, every item copied.

#include "support/plain_reconcile.h"
#include "synthetic_library.h"

#include <benchmark/benchmark.h>

#include <chrono>

using namespace lumivex;

namespace {

using Clock = std::chrono::steady_clock;

constexpr Date scanTime{1800000000.0};

// The synthetic library after a rescan, with the records of a few files deleted days ago.
LibraryState syntheticState() {
    LibraryState state;
    state.library = bench::syntheticLibrary();
    state.deleted.categories = state.library.categories;
    for (int i = 0; i < 100; ++i) {
        MediaItem gone;
        gone.id = QUuid::createUuid();
        gone.filename = QStringLiteral("set-00/album-0000/GONE_%1.jpg").arg(i);
        gone.fileIdentity = QStringLiteral("2049:%1:1600000000.25").arg(9000000 + i);
        gone.available = false;
        state.deleted.records.append(DeletedRecord{gone, Date{scanTime.secondsSince1970 - 86400}});
    }
    return state;
}

// Every file as it was, or, when `changing`, every hundredth file renamed, removed or joined by
// a new file beside it, in turn.
QList<MediaItem> scanOf(const LibraryState& state, bool changing) {
    QList<MediaItem> scanned;
    const MediaItems& items = state.library.items;
    for (qsizetype i = 0; i < items.size(); ++i) {
        MediaItem fresh = test::listedAgain(items.at(i), scanTime);
        const qsizetype change = changing && i % 100 == 0 ? (i / 100) % 3 : -1;
        if (change == 1) {
            continue;
        }
        if (change == 0) {
            fresh.filename.insert(fresh.filename.lastIndexOf(u'/') + 1, QStringLiteral("renamed-"));
        }
        scanned.append(fresh);
        if (change == 2) {
            fresh.id = QUuid::createUuid();
            fresh.filename.append(QStringLiteral(".new.jpg"));
            fresh.fileIdentity.prepend(QStringLiteral("7:"));
            scanned.append(fresh);
        }
    }
    return scanned;
}

double millisecondsOf(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

// Each iteration runs the plain merge and then the real one on copies of the same state; the
// time is the real one's, "ratio" the real merges' total over the plain ones'.
void reconcileAgainstPlain(benchmark::State& state, bool changing) {
    static const LibraryState original = syntheticState();
    const QList<MediaItem> scanned = scanOf(original, changing);
    double plain = 0;
    double fast = 0;
    for (auto _ : state) {
        Clock::time_point start = Clock::now();
        LibraryState reference = test::plainReconcileFolder(original, scanned, scanTime);
        const Clock::duration plainTime = Clock::now() - start;
        LibraryState merged = original;
        start = Clock::now();
        merged.reconcileFolder(scanned, scanTime);
        const Clock::duration fastTime = Clock::now() - start;
        plain += millisecondsOf(plainTime);
        fast += millisecondsOf(fastTime);
        state.SetIterationTime(std::chrono::duration<double>(fastTime).count());
        if (merged != reference) {
            state.SkipWithError("the merge differs from the plain one");
            break;
        }
    }
    state.counters["plain ms"] = plain / static_cast<double>(state.iterations());
    state.counters["ratio"] = fast / plain;
    state.counters["scanned"] = static_cast<double>(scanned.size());
}

void reconcileUnchangedTree(benchmark::State& state) {
    reconcileAgainstPlain(state, false);
}
BENCHMARK(reconcileUnchangedTree)
    ->MeasureProcessCPUTime()
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

void reconcileChangedTree(benchmark::State& state) {
    reconcileAgainstPlain(state, true);
}
BENCHMARK(reconcileChangedTree)
    ->MeasureProcessCPUTime()
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

}  // namespace

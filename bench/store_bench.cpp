// One rating edit through the store on a folder library of 100,000 items in 1,000 folders: the
// save of one folder, the publication, the query and selection, the undo step and the stamp.
// Compare with treeLoad, the full load of the same tree.

#include "catalog/folder_catalog.h"
#include "store/lumivex_store.h"
#include "synthetic_library.h"
#include "synthetic_store.h"

#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <memory>

using namespace lumivex;

namespace {

// The synthetic tree opened in a store whose first scan never returns, so every measured commit
// starts from the catalog as loaded.
struct OpenStore : bench::SyntheticStore {
    OpenStore() { open(); }
};

OpenStore& openStore() {
    static const std::unique_ptr<OpenStore> instance = std::make_unique<OpenStore>();
    return *instance;
}

void storeRatingEdit(benchmark::State& state) {
    LumivexStore& store = *openStore().store;
    const QUuid id = store.library().items[state.range(0)].id;
    int rating = 0;
    for (auto _ : state) {
        rating = (rating + 1) % 6;
        store.setRating(rating, id);
    }
    if (store.locked()) {
        state.SkipWithError("the store locked");
    }
}
BENCHMARK(storeRatingEdit)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Arg(0)
    ->Arg(500)
    ->Unit(benchmark::kMillisecond);

double millisecondsSince(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// The same edit with the views a window reads after it (the browse snapshot's counts, the folder
// scope, the editable properties, the visible order), sorted by rating so the order changes.
// Counters: the views' share per edit, and a whole build of the browse snapshot for reference.
void storeRatingEditThenViews(benchmark::State& state) {
    LumivexStore& store = *openStore().store;
    MediaQuery query;
    query.sort = SortOrder::rating;
    store.setQuery(query);
    const QUuid id = store.library().items[state.range(0)].id;
    store.setSelection({id});
    const auto readViews = [&store] {
        benchmark::DoNotOptimize(store.browseSnapshot().unratedCount);
        benchmark::DoNotOptimize(store.folderScope().snapshot.labels.size());
        benchmark::DoNotOptimize(store.editableProperties().size());
        benchmark::DoNotOptimize(store.visibleOrder().size());
    };
    readViews();
    int rating = 0;
    double viewsMs = 0;
    for (auto _ : state) {
        rating = (rating + 1) % 6;
        store.setRating(rating);
        QElapsedTimer timer;
        timer.start();
        readViews();
        viewsMs += millisecondsSince(timer);
    }
    QElapsedTimer timer;
    timer.start();
    const LibraryBrowseSnapshot built(store.library(), false);
    state.counters["snapshot_build_ms"] = millisecondsSince(timer);
    state.counters["views_ms"] = viewsMs / static_cast<double>(state.iterations());
    store.setSelection({});
    store.setQuery(MediaQuery());
    if (store.locked()) {
        state.SkipWithError("the store locked");
    }
}
BENCHMARK(storeRatingEditThenViews)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Arg(0)
    ->Arg(500)
    ->Unit(benchmark::kMillisecond);

// A search keystroke through the store: the query assigned and the visible order read, the
// snapshot already built. The texts are like BM_SearchKeystroke's, so the two differ by the store's
// part.
void storeSearchKeystroke(benchmark::State& state) {
    LumivexStore& store = *openStore().store;
    store.visibleOrder();
    // Two texts in turn: an equal query keeps the visible order it had.
    const QStringList texts{QStringLiteral("img_01"), QStringLiteral("img_02")};
    qsizetype next = 0;
    for (auto _ : state) {
        MediaQuery query;
        query.search = texts[next++ % 2];
        store.setQuery(query);
        benchmark::DoNotOptimize(store.visibleOrder().size());
    }
    store.setQuery(MediaQuery());
}
BENCHMARK(storeSearchKeystroke)->Unit(benchmark::kMillisecond);

// Select All over every visible item, then one click that selects a single item again.
void storeSelectAll(benchmark::State& state) {
    LumivexStore& store = *openStore().store;
    const QUuid first = store.visibleOrder().first();
    for (auto _ : state) {
        store.selectAllVisible();
        benchmark::DoNotOptimize(store.selectedItems().size());
        state.PauseTiming();
        store.setSelection({first});
        state.ResumeTiming();
    }
}
BENCHMARK(storeSelectAll)->Unit(benchmark::kMillisecond);

// A click on the first visible item, then a Shift-click on the last: the range of every visible
// item added to the selection, with the selected items read.
void storeSelectRange(benchmark::State& state) {
    LumivexStore& store = *openStore().store;
    const QUuid first = store.visibleOrder().first();
    const QUuid last = store.visibleOrder().last();
    for (auto _ : state) {
        store.select(first, Qt::NoModifier);
        store.select(last, Qt::ShiftModifier);
        benchmark::DoNotOptimize(store.selectedItems().size());
    }
    store.setSelection({});
}
BENCHMARK(storeSelectRange)->Unit(benchmark::kMillisecond);

void storeTreeLoad(benchmark::State& state) {
    const QString root = openStore().root;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FolderCatalog::load(root, std::nullopt));
    }
}
BENCHMARK(storeTreeLoad)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

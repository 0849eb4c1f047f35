#include "model/library_browse_snapshot.h"
#include "model/media_query.h"
#include "synthetic_library.h"

#include <benchmark/benchmark.h>

namespace {

using namespace lumivex;

const Library& library() {
    static const Library shared = bench::syntheticLibrary();
    return shared;
}

const LibraryBrowseSnapshot& snapshot() {
    static const LibraryBrowseSnapshot shared(library(), false);
    return shared;
}

void BM_SnapshotBuild(benchmark::State& state) {
    library();
    for (auto _ : state) {
        LibraryBrowseSnapshot built(library(), false);
        benchmark::DoNotOptimize(built.items.size());
    }
}
BENCHMARK(BM_SnapshotBuild)->Unit(benchmark::kMillisecond);

// One keystroke of the search field: filter every item and sort by the default order.
void BM_SearchKeystroke(benchmark::State& state) {
    MediaQuery query;
    query.search = QStringLiteral("img_01");
    snapshot();
    for (auto _ : state) {
        benchmark::DoNotOptimize(query.positions(snapshot()).size());
    }
    state.counters["shown"] = static_cast<double>(query.positions(snapshot()).size());
}
BENCHMARK(BM_SearchKeystroke)->Unit(benchmark::kMillisecond);

// The same keystroke with a Korean text found in notes and values.
void BM_SearchKeystrokeKorean(benchmark::State& state) {
    MediaQuery query;
    query.search = QStringLiteral("서울");
    snapshot();
    for (auto _ : state) {
        benchmark::DoNotOptimize(query.positions(snapshot()).size());
    }
    state.counters["shown"] = static_cast<double>(query.positions(snapshot()).size());
}
BENCHMARK(BM_SearchKeystrokeKorean)->Unit(benchmark::kMillisecond);

// Every item in the default order: the largest sort a keystroke can ask for.
void BM_DefaultOrder(benchmark::State& state) {
    const MediaQuery query;
    snapshot();
    for (auto _ : state) {
        benchmark::DoNotOptimize(query.positions(snapshot()).size());
    }
}
BENCHMARK(BM_DefaultOrder)->Unit(benchmark::kMillisecond);

// The whole library in the default order, copied out as items the way apply() hands them over.
void BM_DefaultOrderAsItems(benchmark::State& state) {
    const MediaQuery query;
    snapshot();
    for (auto _ : state) {
        benchmark::DoNotOptimize(query.apply(snapshot()).size());
    }
}
BENCHMARK(BM_DefaultOrderAsItems)->Unit(benchmark::kMillisecond);

void BM_FilterAndSortByName(benchmark::State& state) {
    MediaQuery query;
    query.kind = MediaKind::photo;
    query.minimumRating = 2;
    query.sort = SortOrder::name;
    query.ascending = true;
    snapshot();
    for (auto _ : state) {
        benchmark::DoNotOptimize(query.positions(snapshot()).size());
    }
}
BENCHMARK(BM_FilterAndSortByName)->Unit(benchmark::kMillisecond);

void BM_SortByProperty(benchmark::State& state) {
    MediaQuery query;
    query.sortCategory = library().categories[1];
    query.ascending = true;
    snapshot();
    for (auto _ : state) {
        benchmark::DoNotOptimize(query.positions(snapshot()).size());
    }
}
BENCHMARK(BM_SortByProperty)->Unit(benchmark::kMillisecond);

// The collating reference path, for comparison.
void BM_SearchKeystrokePlain(benchmark::State& state) {
    MediaQuery query;
    query.search = QStringLiteral("img_01");
    library();
    for (auto _ : state) {
        benchmark::DoNotOptimize(query.apply(library()).size());
    }
}
BENCHMARK(BM_SearchKeystrokePlain)->Unit(benchmark::kMillisecond);

}  // namespace

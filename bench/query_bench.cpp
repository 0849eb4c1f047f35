#include "model/library_browse_snapshot.h"
#include "model/media_query.h"
#include "synthetic_library.h"

#include <benchmark/benchmark.h>

#include <algorithm>

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

// The snapshot brought up to date after an edit of one item instead of built again: its changes
// found (the chunks compared by address, the changed one item by item) and followed. Arguments:
// 0 a rating, 1 the notes (the search texts are rewritten), 2 a declared value added.
void BM_SnapshotFollow(benchmark::State& state) {
    Library edited = library();
    const QString value = QStringLiteral("벤치");
    const auto tag = std::find_if(edited.categories.begin(), edited.categories.end(),
                                  [](const Category& c) { return c.kind != PropertyKind::rating; });
    tag->options.append(value);
    const Category property = *tag;
    LibraryBrowseSnapshot followed(edited, false);
    std::int64_t round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const Library before = edited;
        MediaItem& item = edited.items[50000];
        ++round;
        if (state.range(0) == 0) {
            item.rating = round % 6;
        } else if (state.range(0) == 1) {
            item.notes = QStringLiteral("note %1").arg(round);
        } else {
            QStringList& values = item.labels[property.idText()];
            values = values.contains(value) ? QStringList() : QStringList{value};
        }
        state.ResumeTiming();
        const auto changes = LibraryBrowseSnapshot::itemChanges(before.items, edited.items);
        const bool ok = followed.follow(*changes, before.tagProperties(), edited.tagProperties(),
                                        before.items, edited.items);
        if (!ok) {
            state.SkipWithError("the edit was not followed");
            return;
        }
    }
}
BENCHMARK(BM_SnapshotFollow)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// One keystroke of the search field: filter every item by the text and sort by the default
// order. The texts: a common one (one item in ten), a rare one (one item), one that matches
// nothing though each of its letters is common, a Korean one found in values and notes, and one
// letter found in every item.
const char16_t* const commonText = u"img_01";
const char16_t* const rareText = u"IMG_012345.JPG";
const char16_t* const noMatchText = u"jpg/img";
const char16_t* const koreanText = u"서울";
const char16_t* const letterText = u"e";

void BM_SearchKeystroke(benchmark::State& state, const char16_t* text) {
    MediaQuery query;
    query.search = QString::fromUtf16(text);
    snapshot();
    for (auto _ : state) {
        benchmark::DoNotOptimize(query.positions(snapshot()).size());
    }
    state.counters["shown"] = static_cast<double>(query.positions(snapshot()).size());
}
BENCHMARK_CAPTURE(BM_SearchKeystroke, common, commonText)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchKeystroke, rare, rareText)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchKeystroke, noMatch, noMatchText)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchKeystroke, korean, koreanText)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchKeystroke, letter, letterText)->Unit(benchmark::kMillisecond);

// The same keystroke handed over as items, through the snapshot.
void BM_SearchKeystrokeAsItems(benchmark::State& state, const char16_t* text) {
    MediaQuery query;
    query.search = QString::fromUtf16(text);
    snapshot();
    for (auto _ : state) {
        benchmark::DoNotOptimize(query.apply(snapshot()).size());
    }
}
BENCHMARK_CAPTURE(BM_SearchKeystrokeAsItems, common, commonText)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchKeystrokeAsItems, noMatch, noMatchText)->Unit(benchmark::kMillisecond);

// The same keystroke through apply(library), without a snapshot.
void BM_SearchKeystrokePlain(benchmark::State& state, const char16_t* text) {
    MediaQuery query;
    query.search = QString::fromUtf16(text);
    library();
    for (auto _ : state) {
        benchmark::DoNotOptimize(query.apply(library()).size());
    }
}
BENCHMARK_CAPTURE(BM_SearchKeystrokePlain, common, commonText)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchKeystrokePlain, rare, rareText)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchKeystrokePlain, noMatch, noMatchText)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchKeystrokePlain, korean, koreanText)->Unit(benchmark::kMillisecond);

// A keystroke right after an edit of one item: the chunk that changed is folded again.
void BM_SearchKeystrokePlainAfterEdit(benchmark::State& state) {
    MediaQuery query;
    query.search = QString::fromUtf16(commonText);
    Library edited = library();
    query.apply(edited);
    for (auto _ : state) {
        edited.items[50000].rating = (edited.items.at(50000).rating + 1) % 6;
        benchmark::DoNotOptimize(query.apply(edited).size());
    }
}
BENCHMARK(BM_SearchKeystrokePlainAfterEdit)->Unit(benchmark::kMillisecond);

// The first keystroke on a library never searched, which folds every text once.
void BM_SearchKeystrokePlainFirst(benchmark::State& state) {
    MediaQuery query;
    query.search = QString::fromUtf16(commonText);
    for (auto _ : state) {
        state.PauseTiming();
        // New chunks, equal items: nothing folded yet.
        const Library fresh =
            Library::withContents(library().categories, library().items.compacted());
        state.ResumeTiming();
        benchmark::DoNotOptimize(query.apply(fresh).size());
    }
}
BENCHMARK(BM_SearchKeystrokePlainFirst)->Unit(benchmark::kMillisecond)->Iterations(3);

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

}  // namespace

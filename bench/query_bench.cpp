#include "model/library_browse_snapshot.h"
#include "model/media_query.h"
#include "synthetic_library.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

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

// Pushes what the processor's caches hold out, as a save between an edit and its publishing does.
void coolCaches() {
    static std::vector<char> room(256 << 20);
    for (std::size_t at = 0; at < room.size(); at += 64) {
        ++room[at];
    }
    benchmark::ClobberMemory();
}

// The snapshot brought up to date after a new option was declared and given to 5,000 items of
// 50 folders, as an add through the picker makes it: the changes found and followed, with caches
// cooled by other work since the edit. Each round's value is new, and it is taken away again
// between the rounds, untimed.
void BM_SnapshotFollowAdd5000(benchmark::State& state) {
    Library edited = library();
    // One of 2,000 keywords on every item, each held in a text of its own as a loaded catalog
    // gives it.
    Category keywords{QUuid::createUuid(),
                      QStringLiteral("Keywords"),
                      PropertyKind::multiSelect,
                      {},
                      std::nullopt};
    for (int i = 0; i < 2000; ++i) {
        keywords.options.append(QStringLiteral("keyword-%1").arg(i, 4, 10, QLatin1Char('0')));
    }
    for (qsizetype i = 0; i < edited.items.size(); ++i) {
        const QString& option = keywords.options[i % 2000];
        edited.items[i].labels[keywords.idText()] = {QString(option.constData(), option.size())};
    }
    edited.categories.append(keywords);
    const auto tag = std::find_if(edited.categories.begin(), edited.categories.end(),
                                  [](const Category& c) { return c.kind != PropertyKind::rating; });
    const QString key = tag->idText();
    LibraryBrowseSnapshot followed(edited, false);
    const auto follow = [&](const Library& before) {
        const auto changes = LibraryBrowseSnapshot::itemChanges(before.items, edited.items);
        return followed.follow(*changes, before.tagProperties(), edited.tagProperties(),
                               before.items, edited.items);
    };
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString value = QStringLiteral("벤치 %1").arg(++round);
        const Library plain = edited;
        tag->options.append(value);
        for (qsizetype i = 0; i < 5000; ++i) {
            edited.items[i].labels[key].append(value);
        }
        coolCaches();
        state.ResumeTiming();
        const bool added = follow(plain);
        state.PauseTiming();
        const Library given = edited;
        for (qsizetype i = 0; i < 5000; ++i) {
            edited.items[i].labels[key].removeAll(value);
        }
        const bool removed = follow(given);
        state.ResumeTiming();
        if (!added || !removed) {
            state.SkipWithError("the edit was not followed");
            return;
        }
    }
}
BENCHMARK(BM_SnapshotFollowAdd5000)->Unit(benchmark::kMillisecond);

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

// The checks behind undo and redo on a folder library of 100,000 files in 1,000 folders: the
// fingerprint of the metadata files taken after every save, the media check before a replay,
// the comparison after a scan, and the memory of the undo history.

#include "catalog/folder_catalog.h"
#include "heap_in_use.h"
#include "media_tree.h"
#include "store/catalog_digests.h"
#include "store/metadata_undo_history.h"
#include "store/metadata_undo_validation.h"
#include "synthetic_library.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

using namespace lumivex;

namespace {

using bench::MediaTree;

MediaTree& tree() {
    static const std::unique_ptr<MediaTree> instance = std::make_unique<MediaTree>();
    return *instance;
}

void stampTreeCold(benchmark::State& state) {
    const QString root = tree().folder.path();
    for (auto _ : state) {
        CatalogDigests::shared().clear();
        benchmark::DoNotOptimize(
            MetadataUndoValidation::persistenceStamp(root, LibrarySource::folder));
    }
}
BENCHMARK(stampTreeCold)->Unit(benchmark::kMillisecond);

// The stamp after saving one rating: with `afterSave` the one a commit takes, from the fields of
// the last stamp wherever the catalog cache still knows a folder unchanged; without it the one an
// undo checks against, every file proven unchanged by its signature.
void stampTreeAfterOneRating(benchmark::State& state) {
    const bool afterSave = state.range(0) != 0;
    const QString root = tree().folder.path();
    LibraryState edited = tree().loaded;
    MetadataUndoValidation::persistenceStamp(root, LibrarySource::folder);
    for (auto _ : state) {
        state.PauseTiming();
        edited.library.items[0].rating = (edited.library.items[0].rating + 1) % 6;
        FolderCatalog::save(edited, root);
        state.ResumeTiming();
        benchmark::DoNotOptimize(
            afterSave
                ? MetadataUndoValidation::persistenceStampAfterSave(root, LibrarySource::folder)
                : MetadataUndoValidation::persistenceStamp(root, LibrarySource::folder));
    }
    FolderCatalog::save(tree().loaded, root);
    bench::settleTree();
}
BENCHMARK(stampTreeAfterOneRating)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void mediaCheckTree(benchmark::State& state) {
    const QString root = tree().folder.path();
    const Library& library = tree().loaded.library;
    for (auto _ : state) {
        if (!MetadataUndoValidation::folderMediaStillCurrent(library, root)) {
            state.SkipWithError("the media check failed");
        }
    }
    state.SetItemsProcessed(state.iterations() * library.items.size());
}
BENCHMARK(mediaCheckTree)->Unit(benchmark::kMillisecond);

void sameMediaTree(benchmark::State& state) {
    const MediaItems& current = tree().loaded.library.items;
    QList<MediaItem> scanned = current.toList();
    std::reverse(scanned.begin(), scanned.end());
    for (auto _ : state) {
        benchmark::DoNotOptimize(MetadataUndoValidation::sameMedia(scanned, current));
    }
    state.SetItemsProcessed(state.iterations() * current.size());
}
BENCHMARK(sameMediaTree)->Unit(benchmark::kMillisecond);

// Twenty rating edits recorded the way the commit records them: each step's states are copies
// of the library the store holds, each edit detaching the item list once. The figure is what
// the history and the edited library hold beyond the library they started from.
void undoHistoryTwentyRatings(benchmark::State& state) {
    const LibraryState loaded{bench::syntheticLibrary(MediaTree::itemCount, MediaTree::folderCount),
                              {}};
    for (auto _ : state) {
        const std::int64_t before = bench::heapInUse();
        MetadataUndoHistory history;
        LibraryState current = loaded;
        for (int step = 0; step < 20; ++step) {
            LibraryState next = current;
            MediaItem& item = next.library.items[step * 5000];
            item.rating = (item.rating + 1) % 6;
            history.record(QStringLiteral("별점 변경"), current, next);
            current = std::move(next);
        }
        state.counters["bytes per item"] =
            static_cast<double>(bench::heapInUse() - before) / loaded.library.items.size();
        state.counters["steps kept"] = static_cast<double>(history.undo().size());
    }
}
BENCHMARK(undoHistoryTwentyRatings)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

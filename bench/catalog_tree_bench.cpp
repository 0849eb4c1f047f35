// Load and save of a folder library of 100,000 items in 1,000 folders, one catalog per folder.
// A single-rating save should cost a small fraction of a full load: it must rewrite one folder.

#include "catalog/folder_catalog.h"
#include "synthetic_library.h"

#include <QDir>
#include <QSet>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace lumivex;

namespace {

// The synthetic library written as a tree once per process, and loaded once.
struct TreeOnDisk {
    QTemporaryDir folder;
    LibraryState loaded;

    TreeOnDisk() {
        LibraryState state;
        state.library = bench::syntheticLibrary();
        QSet<QString> folders;
        for (const MediaItem& item : state.library.items) {
            folders.insert(item.folder());
        }
        for (const QString& key : folders) {
            QDir(folder.path()).mkpath(key);
        }
        FolderCatalog::save(state, folder.path());
        loaded = FolderCatalog::load(folder.path(), std::nullopt);
    }
};

TreeOnDisk& tree() {
    static const std::unique_ptr<TreeOnDisk> instance = std::make_unique<TreeOnDisk>();
    return *instance;
}

void treeLoad(benchmark::State& state) {
    const QString root = tree().folder.path();
    for (auto _ : state) {
        benchmark::DoNotOptimize(FolderCatalog::load(root, std::nullopt));
    }
    state.SetItemsProcessed(state.iterations() * tree().loaded.library.items.size());
}
BENCHMARK(treeLoad)->Unit(benchmark::kMillisecond);

// Each iteration flips the rating of the first item, so every save really writes its folder.
void treeSaveOneRating(benchmark::State& state) {
    const QString root = tree().folder.path();
    LibraryState edited = tree().loaded;
    MediaItem& item = edited.library.items.front();
    const std::int64_t original = item.rating;
    for (auto _ : state) {
        item.rating = item.rating == original ? (original + 1) % 6 : original;
        FolderCatalog::save(edited, root);
    }
    item.rating = original;
    FolderCatalog::save(edited, root);
}
BENCHMARK(treeSaveOneRating)->Unit(benchmark::kMillisecond);

// Each iteration flips the rating of the first item of every folder: all 1,000 folders change.
void treeSaveEveryFolder(benchmark::State& state) {
    const QString root = tree().folder.path();
    LibraryState edited = tree().loaded;
    QList<qsizetype> firsts;
    QSet<QString> seen;
    for (qsizetype i = 0; i < edited.library.items.size(); ++i) {
        if (!seen.contains(edited.library.items[i].folder())) {
            seen.insert(edited.library.items[i].folder());
            firsts.append(i);
        }
    }
    const LibraryState original = edited;
    bool flipped = false;
    for (auto _ : state) {
        flipped = !flipped;
        for (const qsizetype index : firsts) {
            const std::int64_t rating = original.library.items[index].rating;
            edited.library.items[index].rating = flipped ? (rating + 1) % 6 : rating;
        }
        FolderCatalog::save(edited, root);
    }
    FolderCatalog::save(original, root);
    state.counters["folders"] = static_cast<double>(firsts.size());
}
BENCHMARK(treeSaveEveryFolder)->Unit(benchmark::kMillisecond);

}  // namespace

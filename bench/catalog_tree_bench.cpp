// Load and save of a folder library of 100,000 items in 1,000 folders, one catalog per folder.
// A single-rating save should cost a small fraction of a full load: it must rewrite one folder.

#include "catalog/folder_catalog.h"
#include "synthetic_library.h"

#include <QDir>
#include <QSet>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <thread>

using namespace lumivex;

namespace {

// Files younger than the coarsest time stamp step are read again on every save; the tree is
// left to settle after each write so that the measurements show the steady state.
void settle() {
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
}

// The synthetic library written as a tree once per process, and the state a load gives of it.
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
        settle();
        loaded = FolderCatalog::load(folder.path(), std::nullopt);
        FolderCatalog::save(loaded, folder.path());
        settle();
        FolderCatalog::save(loaded, folder.path());
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

// A rating typed on one item (the argument is its position): every save really writes that
// item's folder, as each iteration gives the item another rating than the one on disk.
void treeSaveOneRating(benchmark::State& state) {
    const QString root = tree().folder.path();
    LibraryState edited = tree().loaded;
    MediaItem& item = edited.library.items[state.range(0)];
    const std::int64_t original = item.rating;
    for (auto _ : state) {
        item.rating = (item.rating + 1) % 6;
        FolderCatalog::save(edited, root);
    }
    item.rating = original;
    FolderCatalog::save(edited, root);
    settle();
}
BENCHMARK(treeSaveOneRating)->Arg(0)->Arg(500)->Unit(benchmark::kMillisecond);

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
    settle();
    state.counters["folders"] = static_cast<double>(firsts.size());
}
BENCHMARK(treeSaveEveryFolder)->Unit(benchmark::kMillisecond);

}  // namespace

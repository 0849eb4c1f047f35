#include "synthetic_library.h"

#include "catalog/folder_catalog.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>

#include <thread>

using namespace lumivex;

namespace {

// The synthetic library written once as a folder tree, and the state a load gives of it.
struct SyntheticTree {
    QTemporaryDir dir;
    LibraryState state;

    SyntheticTree() {
        LibraryState written{bench::syntheticLibrary(), {}};
        for (const MediaItem& item : written.library.items) {
            QDir().mkpath(dir.path() + u'/' + item.folder());
        }
        FolderCatalog::save(written, dir.path());
        // Files younger than the time stamp step are read again on every save; let them settle
        // so the measurement shows the steady state.
        std::this_thread::sleep_for(std::chrono::milliseconds(2100));
        state = FolderCatalog::load(dir.path(), std::nullopt);
        FolderCatalog::save(state, dir.path());
        std::this_thread::sleep_for(std::chrono::milliseconds(2100));
        FolderCatalog::save(state, dir.path());
    }
};

SyntheticTree& syntheticTree() {
    static SyntheticTree tree;
    return tree;
}

void BM_FolderTreeLoad(benchmark::State& run) {
    SyntheticTree& tree = syntheticTree();
    for (auto _ : run) {
        benchmark::DoNotOptimize(FolderCatalog::load(tree.dir.path(), std::nullopt));
    }
}
BENCHMARK(BM_FolderTreeLoad)->Unit(benchmark::kMillisecond);

// A rating typed on one item: only that item's folder is rendered and written.
void BM_FolderTreeSaveOneRating(benchmark::State& run) {
    SyntheticTree& tree = syntheticTree();
    std::int64_t rating = 0;
    for (auto _ : run) {
        rating = (rating + 1) % 6;
        tree.state.library.items[500].rating = rating;
        FolderCatalog::save(tree.state, tree.dir.path());
    }
}
BENCHMARK(BM_FolderTreeSaveOneRating)->Unit(benchmark::kMillisecond);

}  // namespace

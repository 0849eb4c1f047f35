// One rating edit through the store on a folder library of 100,000 items in 1,000 folders: the
// save of one folder, the publication, the query and selection, the undo step and the stamp.
// Compare with treeLoad, the full load of the same tree.

#include "catalog/folder_catalog.h"
#include "platform/user_defaults.h"
#include "store/lumivex_store.h"
#include "support/fake_photo_library.h"
#include "support/fake_shell.h"
#include "support/fake_trash.h"
#include "support/held_listing.h"
#include "support/manual_clock.h"
#include "synthetic_library.h"

#include <QDir>
#include <QSet>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace lumivex;

namespace {

// The synthetic tree opened in a store whose first scan never returns, so every measured commit
// starts from the catalog as loaded.
struct OpenStore {
    QTemporaryDir folder;
    QString root = folder.path() + QStringLiteral("/library");
    UserDefaults defaults{folder.path() + QStringLiteral("/defaults.json")};
    test::FakePhotoLibrary photos;
    test::FakeTrash trash;
    test::FakeShell shell;
    test::ManualClock clock;
    test::HeldListing listing{photos};
    std::unique_ptr<LumivexStore> store;

    OpenStore() {
        LibraryState state;
        state.library = bench::syntheticLibrary();
        QSet<QString> folders;
        for (const MediaItem& item : state.library.items) {
            folders.insert(item.folder());
        }
        for (const QString& key : folders) {
            QDir(root).mkpath(key);
        }
        FolderCatalog::save(state, root);
        listing.holding = true;
        LumivexStore::Services services;
        services.defaults = &defaults;
        services.photos = &photos;
        services.trash = &trash;
        services.shell = &shell;
        services.clock = &clock;
        services.listing = &listing;
        services.homeFolder = folder.path();
        services.photosMetadataFolder = folder.path() + QStringLiteral("/photos");
        services.photosLegacyFolders = QStringList();
        store = std::make_unique<LumivexStore>(std::move(services));
        store->openLibrary(root, false, false);
    }
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
BENCHMARK(storeRatingEdit)->Arg(0)->Arg(500)->Unit(benchmark::kMillisecond);

// A search keystroke through the store: the query assigned and the visible order read, the
// snapshot already built. The text is BM_SearchKeystroke's, so the two differ by the store's part.
void storeSearchKeystroke(benchmark::State& state) {
    LumivexStore& store = *openStore().store;
    store.visibleOrder();
    MediaQuery query;
    query.search = QStringLiteral("img_01");
    for (auto _ : state) {
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

void storeTreeLoad(benchmark::State& state) {
    const QString root = openStore().root;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FolderCatalog::load(root, std::nullopt));
    }
}
BENCHMARK(storeTreeLoad)->Unit(benchmark::kMillisecond);

}  // namespace

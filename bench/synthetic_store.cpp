#include "synthetic_store.h"

#include "catalog/folder_catalog.h"
#include "catalog/library_state.h"
#include "synthetic_library.h"

#include <QCoreApplication>
#include <QDir>
#include <QSet>

namespace lumivex::bench {

SyntheticStore::SyntheticStore(const std::function<void(Library&)>& shape) {
    LibraryState state;
    state.library = syntheticLibrary();
    if (shape) {
        shape(state.library);
    }
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
}

void SyntheticStore::open() {
    store->openLibrary(root, false, false);
    // The views of the opened library come from worker threads through the event loop.
    while (store->derivedViewsPending()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    }
}

}  // namespace lumivex::bench

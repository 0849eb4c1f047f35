#include "app/app_delegate.h"
#include "app/desktop_shell.h"
#include "app/lumivex_app.h"
#include "app/lumivex_update_controller.h"
#include "app/photo_access.h"
#include "app/termination_signals.h"
#include "browser/lumivex_view.h"
#include "browser/media_grid_view.h"
#include "catalog/folder_watcher.h"
#include "inspector/inspector_slots.h"
#include "media/photos_catalog_location.h"
#include "media/photos_thumbnail_cache.h"
#include "media/thumbnail_cache.h"
#include "media/xdg_photo_library.h"
#include "panels/lumivex_settings_view.h"
#include "platform/app_brand.h"
#include "platform/freedesktop_trash.h"
#include "platform/user_defaults.h"
#include "store/lumivex_store.h"
#include "store/scanner_listing.h"
#include "store/system_clock.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

namespace {

using namespace lumivex;

// Watches a library folder for the store; nothing when the folder cannot be watched.
std::shared_ptr<void> watchFolder(const QString& folder, std::function<void()> onChange) {
    return std::shared_ptr<FolderWatcher>(FolderWatcher::create(folder, std::move(onChange)));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Lumivex"));
    QCoreApplication::setApplicationVersion(AppBrand::version());
    LumivexApp::setUpProcess(app);

    UserDefaults defaults;
    FreedesktopTrash trash;
    XdgPhotoLibrary photos(defaults, trash);
    PhotosThumbnailCache::shared().setLibrary(&photos);
    PhotosThumbnailCache::shared().setManager(&photos);
    SystemClock clock;
    ScannerListing listing(clock.function(), photos, PhotosThumbnailCache::shared().assets());
    DesktopShell shell;

    LumivexStore::Services services;
    services.arguments = QCoreApplication::arguments();
    services.defaults = &defaults;
    services.photos = &photos;
    services.trash = &trash;
    services.shell = &shell;
    services.clock = &clock;
    services.listing = &listing;
    services.watchers = watchFolder;
    services.homeFolder = QDir::homePath();
    services.photosMetadataFolder = PhotosCatalogLocation::defaultDestination();
    services.photosFolder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    LumivexStore store(std::move(services));

    LumivexView window(store, defaults);
    window.setGrid(new MediaGridView(
        {&store, &defaults, &shell, &ThumbnailCache::shared(), &PhotosThumbnailCache::shared()}));
    InspectorSlots::install(window, store,
                            {ThumbnailCache::shared(), PhotosThumbnailCache::shared(), defaults});
    shell.setWindow(&window);
    PhotoAccess access(photos, &window);
    window.setPhotosSetup(photos, access.guide());
    LumivexUpdateController updates(LumivexUpdateController::processEnvironment(defaults));
    LumivexApp lumivex(store, window, updates, defaults);
    lumivex.setSettingsWindow(std::make_unique<LumivexSettingsView>(
        defaults, photos, access.guide(), [&store] { store.chooseLibrary(); }));
    TerminationSignals terminations;
    QObject::connect(&terminations, &TerminationSignals::received, &lumivex.delegate(),
                     &AppDelegate::quit);
    lumivex.launch();
    return QApplication::exec();
}

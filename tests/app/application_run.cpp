#include "application_run.h"

#include "browser/media_grid_view.h"
#include "inspector/inspector_slots.h"
#include "panels/lumivex_settings_view.h"
#include "store/scanner_listing.h"
#include "support/held_listing.h"

#include <QCoreApplication>

namespace lumivex::test {

namespace {

std::unique_ptr<MediaListing> makeListing(bool hold, const SystemClock& clock,
                                          const XdgPhotoLibrary& photos,
                                          PhotosThumbnailCache& photosThumbnails) {
    if (hold) {
        auto held = std::make_unique<HeldListing>(photos);
        held->holding = true;
        return held;
    }
    return std::make_unique<ScannerListing>(clock.function(), photos, photosThumbnails.assets());
}

}  // namespace

ApplicationRun::ApplicationRun(Options given)
    : options(std::move(given)),
      defaults(options.home + QStringLiteral("/.config/Lumivex/defaults.json")),
      photos(defaults, trash,
             {{QStringLiteral("pictures"), options.home + QStringLiteral("/Pictures")},
              {QStringLiteral("videos"), options.home + QStringLiteral("/Videos")}}),
      listing(makeListing(options.holdScans, clock, photos, photosThumbnails)) {
    photosThumbnails.setLibrary(&photos);
    photosThumbnails.setManager(&photos);
    store = std::make_unique<LumivexStore>(services());
    window = std::make_unique<LumivexView>(*store, defaults);
    grid = new MediaGridView({store.get(), &defaults, &shell, &thumbnails, &photosThumbnails});
    window->setGrid(grid);
    InspectorSlots::install(*window, *store, {thumbnails, photosThumbnails, defaults});
    shell.setWindow(window.get());
    access = std::make_unique<PhotoAccess>(photos, window.get());
    window->setPhotosSetup(photos, access->guide());
    LumivexUpdateController::Environment environment =
        LumivexUpdateController::processEnvironment(defaults);
    environment.build.packaged = options.packaged;
    environment.fetchReleases = [this] {
        if (options.onFetch) {
            options.onFetch();
        }
        fetches.push_back(std::make_shared<QPromise<QList<LumivexRelease>>>());
        fetches.back()->start();
        return fetches.back()->future();
    };
    updates = std::make_unique<LumivexUpdateController>(environment);
    app = std::make_unique<LumivexApp>(*store, *window, *updates, defaults);
    app->setSettingsWindow(std::make_unique<LumivexSettingsView>(
        defaults, photos, access->guide(), [this] { store->chooseLibrary(); }));
}

ApplicationRun::~ApplicationRun() {
    app.reset();
    updates.reset();
    access.reset();
    window.reset();
    store.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void ApplicationRun::launch() {
    app->launch();
}

LumivexStore::Services ApplicationRun::services() {
    LumivexStore::Services made;
    made.arguments = {QStringLiteral("lumivex")};
    made.defaults = &defaults;
    made.photos = &photos;
    made.trash = &trash;
    made.shell = &shell;
    made.clock = &clock;
    made.listing = listing.get();
    made.watchers = [](const QString&, std::function<void()>) { return nullptr; };
    made.homeFolder = options.home;
    made.photosMetadataFolder = options.home + QStringLiteral("/.local/share/Lumivex/Photos");
    made.photosFolder = options.home + QStringLiteral("/Pictures");
    return made;
}

}  // namespace lumivex::test

#pragma once

#include "app/desktop_shell.h"
#include "app/lumivex_app.h"
#include "app/lumivex_update_controller.h"
#include "app/photo_access.h"
#include "browser/lumivex_view.h"
#include "media/photos_thumbnail_cache.h"
#include "media/thumbnail_cache.h"
#include "media/xdg_photo_library.h"
#include "platform/freedesktop_trash.h"
#include "platform/user_defaults.h"
#include "store/lumivex_store.h"
#include "store/media_listing.h"
#include "store/system_clock.h"

#include <QPromise>

#include <functional>
#include <memory>
#include <vector>

namespace lumivex {

class MediaGridView;

namespace test {

// One run of the application, put together as main() puts it together: the user defaults in
// the configuration folder under `home`, the freedesktop Trash, the photo library, the system
// clock, the scanner, the desktop's dialogs, the store (restoring what the defaults remember),
// the main window with its menus and the settings window. The update feed never answers and the
// folder watcher is left out, so that nothing comes at a time of its own; scans may be held, so
// that a library stays as its catalogs describe it. Main thread.
class ApplicationRun {
public:
    struct Options {
        QString home;
        bool holdScans = false;
        // Whether the build checks for updates by itself; `onFetch` hears each fetch.
        bool packaged = false;
        std::function<void()> onFetch;
    };

    explicit ApplicationRun(Options options);
    ~ApplicationRun();

    // Shows the main window, as main() does after putting the application together.
    void launch();

    Options options;
    UserDefaults defaults;
    FreedesktopTrash trash;
    XdgPhotoLibrary photos;
    ThumbnailCache thumbnails;
    PhotosThumbnailCache photosThumbnails;
    SystemClock clock;
    std::unique_ptr<MediaListing> listing;
    DesktopShell shell;
    std::unique_ptr<LumivexStore> store;
    std::unique_ptr<LumivexView> window;
    MediaGridView* grid = nullptr;
    std::unique_ptr<PhotoAccess> access;
    std::vector<std::shared_ptr<QPromise<QList<LumivexRelease>>>> fetches;
    std::unique_ptr<LumivexUpdateController> updates;
    std::unique_ptr<LumivexApp> app;

private:
    LumivexStore::Services services();
};

}  // namespace test
}  // namespace lumivex

#include "browser/window_fixture.h"

#include "browser/browser_icons.h"
#include "browser/grid_thumbnails.h"
#include "browser/media_grid_view.h"
#include "browser/store_region.h"
#include "media_views/lumivex_style.h"
#include "support/event_loop.h"
#include "support/media_fixtures.h"
#include "support/test_files.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QPainter>

namespace lumivex::test {

WindowTest::WindowTest()
    : library(temp.path() + QStringLiteral("/library")),
      defaults(std::make_unique<UserDefaults>(temp.path() + QStringLiteral("/defaults.json"))) {
    makeDirectories(library);
}

WindowTest::~WindowTest() {
    window.reset();
    store.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

LumivexView& WindowTest::makeWindow(const QStringList& arguments) {
    showWindow(arguments);
    settle();
    return *window;
}

LumivexView& WindowTest::showWindow(const QStringList& arguments) {
    LumivexStore::Services services;
    services.arguments = arguments;
    services.defaults = defaults.get();
    services.photos = &photos;
    services.trash = &trash;
    services.shell = &shell;
    services.clock = &clock;
    services.listing = &listing;
    services.watchers = [](const QString&, std::function<void()>) { return nullptr; };
    services.homeFolder = temp.path();
    services.photosMetadataFolder = temp.path() + QStringLiteral("/data/Lumivex/Photos");
    services.photosLegacyFolders = QStringList();
    services.photosFolder = temp.path() + QStringLiteral("/Pictures");
    store = std::make_unique<LumivexStore>(std::move(services));
    LumivexStyle::install(&BrowserIcons::paint);
    window = std::make_unique<LumivexView>(*store, *defaults);
    grid = new MediaGridView({store.get(), defaults.get(), &shell, &thumbnails, &photosThumbnails});
    window->setGrid(grid);
    window->resize(1280, 840);
    window->show();
    return *window;
}

void WindowTest::openLibrary() {
    if (!store) {
        makeWindow();
    }
    store->openLibrary(library, true, true);
    settle();
}

void WindowTest::settleUntil(const std::function<bool()>& done) {
    test::runEventsUntil(done, "the window");
}

void WindowTest::settle() {
    settleUntil([this] {
        return !store->deleting() && (listing.holding || !store->scanning()) &&
               !store->derivedViewsPending();
    });
    for (StoreRegion* region : window->findChildren<StoreRegion*>()) {
        region->refreshIfStale();
    }
}

void WindowTest::waitForThumbnails() {
    grid->requestThumbnails();
    settleUntil([this] { return grid->thumbnails().requestsInFlight() == 0; });
    grid->viewport()->repaint();
}

void WindowTest::addPhoto(const QString& relative) const {
    writeFile(at(relative), encodeImage(photoLikeImage(QSize(320, 240), qHash(relative)), "JPEG"));
}

void WindowTest::addVideo(const QString& relative) const {
    makeDirectories(QFileInfo(at(relative)).absolutePath());
    writeVideo(at(relative), VideoClip{});
}

const MediaItem& WindowTest::item(const QString& filename) const {
    for (const MediaItem& candidate : store->library().items) {
        if (candidate.filename == filename) {
            return candidate;
        }
    }
    ADD_FAILURE() << "no item " << filename.toStdString();
    static const MediaItem none;
    return none;
}

void WindowTest::selectFiles(const QStringList& filenames) {
    QSet<QUuid> ids;
    for (const QString& filename : filenames) {
        ids.insert(item(filename).id);
    }
    store->setSelection(ids);
    settle();
}

void WindowTest::search(const QString& text) {
    MediaQuery query = store->query();
    query.search = text;
    store->setQuery(query);
    settle();
}

// The window with the menus and popovers that float over it, as the screen would show them.
void WindowTest::screenshot(const QString& name) {
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots");
    QDir().mkpath(folder);
    QPixmap picture = window->grab();
    QPainter painter(&picture);
    const QPoint origin = window->mapToGlobal(QPoint(0, 0));
    for (QWidget* floating : QApplication::topLevelWidgets()) {
        if (floating != window.get() && floating->isVisible() &&
            floating->parentWidget() != nullptr) {
            painter.drawPixmap(floating->geometry().topLeft() - origin, floating->grab());
        }
    }
    painter.end();
    ASSERT_TRUE(picture.save(folder + QLatin1Char('/') + name + QStringLiteral(".png")));
}

QAbstractButton* buttonWithText(const QWidget* parent, const QString& text) {
    for (QAbstractButton* button : parent->findChildren<QAbstractButton*>()) {
        if (button->text() == text) {
            return button;
        }
    }
    return nullptr;
}

}  // namespace lumivex::test

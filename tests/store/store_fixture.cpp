#include "store/store_fixture.h"

#include "platform/atomic_file.h"
#include "support/event_loop.h"
#include "support/media_fixtures.h"
#include "support/test_files.h"

#include <QCoreApplication>

namespace lumivex::test {

LumivexStore::WatcherFactory FakeWatchers::factory() {
    return [this](const QString& folder, std::function<void()> onChange) {
        auto watch = std::make_shared<Watch>(Watch{folder, std::move(onChange)});
        made.append(watch);
        return std::shared_ptr<void>(watch);
    };
}

qsizetype FakeWatchers::live() const {
    return std::count_if(made.begin(), made.end(),
                         [](const std::weak_ptr<Watch>& watch) { return !watch.expired(); });
}

void FakeWatchers::fire() const {
    for (const std::weak_ptr<Watch>& weak : made) {
        if (const auto watch = weak.lock()) {
            watch->onChange();
        }
    }
}

StoreTest::StoreTest() : StoreTest(QString()) {}

StoreTest::StoreTest(const QString& given)
    : home(given.isEmpty() ? temp.path() : given),
      library(home + QStringLiteral("/library")),
      photosMetadata(home + QStringLiteral("/data/Lumivex/Photos")),
      defaults(std::make_unique<UserDefaults>(home + QStringLiteral("/defaults.json"))) {
    makeDirectories(library);
}

StoreTest::~StoreTest() {
    AtomicFile::setFaultHook({});  // a test that stopped early may have left one set
    store.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

LumivexStore& StoreTest::makeStore(const QStringList& arguments) {
    LumivexStore::Services services;
    services.arguments = arguments;
    services.defaults = defaults.get();
    services.photos = &photos;
    services.trash = &trash;
    services.shell = &shell;
    services.clock = &clock;
    services.listing = &listing;
    if (!realWatcher) {
        services.watchers = watchers.factory();
    }
    services.homeFolder = home;
    services.photosMetadataFolder = photosMetadata;
    services.photosLegacyFolders = QStringList();
    services.photosFolder = home + QStringLiteral("/Pictures");
    store = std::make_unique<LumivexStore>(std::move(services));
    return *store;
}

void StoreTest::settleUntil(const std::function<bool()>& done) {
    test::runEventsUntil(done, "the store");
}

void StoreTest::settle() {
    settleUntil([this] {
        return !store->scanning() && !store->deleting() && !store->derivedViewsPending();
    });
}

void StoreTest::addPhoto(const QString& relative) const {
    writeFile(at(relative), plainJpeg());
}

void StoreTest::addPng(const QString& relative) const {
    writeFile(at(relative), png({}));
}

void StoreTest::makeTree() const {
    addPhoto(QStringLiteral("a.jpg"));
    addPhoto(QStringLiteral("b.jpg"));
    addPng(QStringLiteral("sub/c.png"));
}

void StoreTest::openLibrary() {
    if (!store) {
        makeStore();
    }
    store->openLibrary(library, true, true);
    settle();
}

const MediaItem& StoreTest::item(const QString& filename) {
    for (const MediaItem& candidate : store->library().items) {
        if (candidate.filename == filename) {
            return candidate;
        }
    }
    ADD_FAILURE() << "no item " << filename.toStdString();
    static const MediaItem none;
    return none;
}

QSet<QUuid> StoreTest::ids(const QStringList& filenames) {
    QSet<QUuid> result;
    for (const QString& filename : filenames) {
        result.insert(item(filename).id);
    }
    return result;
}

}  // namespace lumivex::test

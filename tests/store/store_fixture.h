#pragma once

#include "platform/user_defaults.h"
#include "store/lumivex_store.h"
#include "support/fake_photo_library.h"
#include "support/fake_shell.h"
#include "support/fake_trash.h"
#include "support/held_listing.h"
#include "support/manual_clock.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace lumivex::test {

// Folder watchers that only the test triggers; each knows whether the store still holds it.
struct FakeWatchers {
    struct Watch {
        QString folder;
        std::function<void()> onChange;
    };
    QList<std::weak_ptr<Watch>> made;

    LumivexStore::WatcherFactory factory();
    qsizetype live() const;
    // One batch of changes reported by every watcher still held.
    void fire() const;
};

// A store on fakes, with a library folder of real media in a temporary folder, user defaults in
// a file of their own and a clock that stands still.
class StoreTest : public ::testing::Test {
protected:
    StoreTest();
    // A fixture over the folders of another one's `home` (its temporary folder), for a child
    // process that works on the parent's library.
    explicit StoreTest(const QString& home);
    ~StoreTest() override;

    LumivexStore& makeStore(const QStringList& arguments = {});
    // Runs queued work (scan and deletion results) until `done` holds; fails after 10 s.
    void settleUntil(const std::function<bool()>& done);
    // Until no scan or deletion runs.
    void settle();

    QString at(const QString& relative) const { return library + QLatin1Char('/') + relative; }
    void addPhoto(const QString& relative) const;
    void addPng(const QString& relative) const;
    // a.jpg, b.jpg and sub/c.png under the library folder.
    void makeTree() const;
    // Opens the library folder and waits for its first scan.
    void openLibrary();
    const MediaItem& item(const QString& filename);
    QSet<QUuid> ids(const QStringList& filenames);

    QTemporaryDir temp;
    QString home;  // the temporary folder, or the one given
    QString library;
    QString photosMetadata;
    std::unique_ptr<UserDefaults> defaults;
    FakePhotoLibrary photos;
    FakeTrash trash;
    FakeShell shell;
    ManualClock clock;
    HeldListing listing{photos};
    FakeWatchers watchers;
    // The store makes its own folder watcher instead, whose notices the catalog consults.
    bool realWatcher = false;
    std::unique_ptr<LumivexStore> store;
};

}  // namespace lumivex::test

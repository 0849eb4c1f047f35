#pragma once

#include "browser/lumivex_view.h"
#include "media/photos_thumbnail_cache.h"
#include "media/thumbnail_cache.h"
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

class QAbstractButton;

namespace lumivex::test {

// The main window at 1280 x 840 over a real store, with a library folder of generated media in
// a temporary folder, user defaults of its own and scripted desktop services.
class WindowTest : public ::testing::Test {
protected:
    WindowTest();
    ~WindowTest() override;

    // Makes the store (restoring with `arguments`) and the window, shown and settled.
    LumivexView& makeWindow(const QStringList& arguments = {});
    // The same, shown before anything queued has run.
    LumivexView& showWindow(const QStringList& arguments = {});
    // Opens the library folder and waits for its first scan.
    void openLibrary();
    // Runs queued work until `done` holds; fails after 10 s.
    void settleUntil(const std::function<bool()>& done);
    // Until no scan or deletion runs, and every region has redrawn.
    void settle();

    QString at(const QString& relative) const { return library + QLatin1Char('/') + relative; }
    void addPhoto(const QString& relative) const;
    void addVideo(const QString& relative) const;
    const MediaItem& item(const QString& filename) const;
    void selectFiles(const QStringList& filenames);
    void search(const QString& text);
    // Until every thumbnail the grid asked for has arrived (10 s at most).
    void waitForThumbnails();
    // Writes a PNG of the window into the test program's "screenshots" folder.
    void screenshot(const QString& name);

    QTemporaryDir temp;
    QString library;
    std::unique_ptr<UserDefaults> defaults;
    FakePhotoLibrary photos;
    FakeTrash trash;
    FakeShell shell;
    ManualClock clock;
    HeldListing listing{photos};
    ThumbnailCache thumbnails;
    PhotosThumbnailCache photosThumbnails;
    std::unique_ptr<LumivexStore> store;
    std::unique_ptr<LumivexView> window;
    MediaGridView* grid = nullptr;
};

// The button among `parent`'s children whose text is `text`, or nothing.
QAbstractButton* buttonWithText(const QWidget* parent, const QString& text);

}  // namespace lumivex::test

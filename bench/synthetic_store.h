#pragma once

#include "platform/user_defaults.h"
#include "store/lumivex_store.h"
#include "support/fake_photo_library.h"
#include "support/fake_shell.h"
#include "support/fake_trash.h"
#include "support/held_listing.h"
#include "support/manual_clock.h"

#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace lumivex::bench {

// The synthetic library written as a folder tree, and a store on fakes whose scans never return,
// so that every measure starts from the catalog as loaded. The store is made, not yet opened.
struct SyntheticStore {
    QTemporaryDir folder;
    QString root = folder.path() + QStringLiteral("/library");
    UserDefaults defaults{folder.path() + QStringLiteral("/defaults.json")};
    test::FakePhotoLibrary photos;
    test::FakeTrash trash;
    test::FakeShell shell;
    test::ManualClock clock;
    test::HeldListing listing{photos};
    std::unique_ptr<LumivexStore> store;

    // `shape` may change the library before it is written.
    explicit SyntheticStore(const std::function<void(Library&)>& shape = {});
    void open();
};

}  // namespace lumivex::bench

#pragma once

#include "platform/user_defaults.h"
#include "store/lumivex_store.h"
#include "support/fake_photo_library.h"
#include "support/fake_shell.h"
#include "support/fake_trash.h"
#include "support/manual_clock.h"

#include <QString>
#include <QTemporaryDir>

namespace lumivex::bench {

// What a store needs to scan a real folder tree as the application does, but with no folder
// watcher and with fakes for the photo library, the trash, the shell and the clock; its settings
// and metadata live in a temporary folder. A benchmark derives from it and makes the store.
struct UnwatchedStoreServices {
    QTemporaryDir folder;
    UserDefaults defaults{folder.path() + QStringLiteral("/defaults.json")};
    test::FakePhotoLibrary photos;
    test::FakeTrash trash;
    test::FakeShell shell;
    test::ManualClock clock;

    LumivexStore::Services services();
};

}  // namespace lumivex::bench

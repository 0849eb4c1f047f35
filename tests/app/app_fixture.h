#pragma once

#include "app/lumivex_app.h"
#include "app/lumivex_update_controller.h"
#include "browser/window_fixture.h"

#include <QPromise>

#include <memory>

class QAction;

namespace lumivex::test {

// The whole application over the main window's fixture: the main window with its menus, an
// update controller whose fetches never answer, activated as a user's window would be.
class AppTest : public WindowTest {
protected:
    ~AppTest() override;

    LumivexApp& makeApp(const QStringList& arguments = {});
    // Makes the main window the active window and refreshes what the menus show.
    void activate();
    // Sends a key as the keyboard would, to the focused widget of the active window.
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // The item's current rating in the store.
    int rating(const QString& filename) const { return item(filename).rating; }

    bool packaged = false;  // whether the build checks for updates by itself
    std::vector<std::shared_ptr<QPromise<QList<LumivexRelease>>>> fetches;
    std::unique_ptr<LumivexUpdateController> updates;
    std::unique_ptr<LumivexApp> app;
};

}  // namespace lumivex::test

#include "app/app_fixture.h"

#include "app/lumivex_edit_commands.h"
#include "app/lumivex_media_commands.h"

#include <QApplication>
#include <QMainWindow>
#include <QTest>

namespace lumivex::test {

AppTest::~AppTest() {
    app.reset();
    updates.reset();
}

LumivexApp& AppTest::makeApp(const QStringList& arguments) {
    makeWindow(arguments);
    LumivexUpdateController::Environment environment;
    environment.defaults = defaults.get();
    environment.runningVersion = QStringLiteral("1.0.0");
    environment.build.packaged = packaged;
    environment.clock = [this] { return clock.now(); };
    environment.openUrl = [](const QUrl&) {};
    environment.fetchReleases = [this] {
        auto promise = std::make_shared<QPromise<QList<LumivexRelease>>>();
        promise->start();
        fetches.push_back(promise);
        return promise->future();
    };
    updates = std::make_unique<LumivexUpdateController>(environment);
    app = std::make_unique<LumivexApp>(*store, *window, *updates, *defaults);
    app->mainWindow().show();
    activate();
    return *app;
}

void AppTest::activate() {
    QMainWindow& main = app->mainWindow();
    main.activateWindow();
    QApplication::setActiveWindow(&main);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&main));
    settle();
    app->editCommands().sync();
    app->mediaCommands().sync();
}

void AppTest::press(int key, Qt::KeyboardModifiers modifiers) {
    QWidget* target = QApplication::focusWidget();
    if (target == nullptr) {
        target = QApplication::activeWindow();
    }
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    settle();
}

}  // namespace lumivex::test

#include "app/app_commands.h"
#include "app/app_fixture.h"
#include "browser/browser_area.h"
#include "inspector/inspector_slots.h"
#include "inspector/property_manager_sheet.h"
#include "platform/app_brand.h"
#include "platform/lumivex_settings.h"

#include <QApplication>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

namespace lumivex::test {
namespace {

using MainWindow = AppTest;

QRect screenArea() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// Without a title of its own, a window shows the process's name ("Lumivex") in its title bar.
void expectTitledWindows(const QString& sheet) {
    for (const QWidget* shown : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = shown->windowType();
        if (shown->isVisible() && type != Qt::Popup && type != Qt::ToolTip) {
            EXPECT_FALSE(shown->windowTitle().isEmpty()) << shown->metaObject()->className();
            EXPECT_FALSE(shown->windowTitle().contains(QStringLiteral("Lumivex")));
        }
    }
    ASSERT_NE(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(QApplication::activeModalWidget()->windowTitle(), sheet);
}

TEST_F(MainWindow, EveryWindowASessionOpensHasATitleOfItsOwn) {
    makeApp();
    InspectorSlots::install(*window, *store, {thumbnails, photosThumbnails, *defaults});
    addPhoto(QStringLiteral("a.jpg"));
    openLibrary();
    ASSERT_TRUE(store->addCategory(QStringLiteral("장소"), PropertyKind::singleSelect));
    WindowState& state = window->state();
    state.setPropertyManager(true);
    settle();
    auto* manager = window->findChild<PropertyManagerSheet*>();
    buttonWithText(manager, QStringLiteral("속성 추가…"))->click();
    expectTitledWindows(QStringLiteral("새 속성"));
    QApplication::activeModalWidget()->close();
    settle();
    for (QToolButton* button : manager->findChildren<QToolButton*>()) {
        if (button->toolTip() == QStringLiteral("속성 이름 변경") && button->isVisible()) {
            button->click();
        }
    }
    expectTitledWindows(QStringLiteral("속성 이름 변경"));
    QApplication::activeModalWidget()->close();
    state.setPropertyManager(false);
    state.setDurationSheet(true);
    expectTitledWindows(QStringLiteral("영상 길이 직접 지정"));
    state.setDurationSheet(false);
    state.setUtilityPanel(LumivexUtilityPanel::deleted);
    expectTitledWindows(QStringLiteral("최근 삭제 기록"));
    state.setUtilityPanel(std::nullopt);
    state.setUtilityPanel(LumivexUtilityPanel::shortcuts);
    expectTitledWindows(QStringLiteral("단축키"));
    state.setUtilityPanel(std::nullopt);
    selectFiles({QStringLiteral("a.jpg")});
    window->browserArea()->deleteButton()->click();
    settle();
    expectTitledWindows(AppBrand::name());
    QApplication::activeModalWidget()->close();
    settle();
    store->setError(QStringLiteral("분류 정보를 저장하지 못했습니다."));
    settle();
    expectTitledWindows(AppBrand::name());
}

// The offscreen screen is 800 px high: the window's foot stays on it.
TEST_F(MainWindow, OpensAtItsPreferredSizeOnlyWhereItFitsTheScreen) {
    makeApp();
    EXPECT_LE(app->mainWindow().frameGeometry().bottom(), screenArea().bottom());
}

TEST_F(MainWindow, ReopensWhereItClosedMaximisedAndAtItsNormalSize) {
    makeApp();
    QMainWindow& main = app->mainWindow();
    const QRect normal = main.geometry();
    main.showMaximized();
    settle();
    app->commands().quitAction()->trigger();
    LumivexSettings settings(*defaults);
    EXPECT_EQ(settings.mainWindowGeometry(), normal);
    EXPECT_TRUE(settings.mainWindowMaximized());

    // Stored far off any screen: it comes back onto one.
    settings.setMainWindowGeometry(QRect(9000, 9000, 1100, 700), true);
    app.reset();
    makeApp();
    EXPECT_TRUE(app->mainWindow().isMaximized());
    EXPECT_TRUE(screenArea().contains(app->mainWindow().normalGeometry().topLeft()));

    // A value that cannot be read is left alone.
    defaults->setText(LumivexSettings::keyName(LumivexSettings::Key::mainWindowGeometry),
                      QStringLiteral("40,30,wide,1000"));
    EXPECT_EQ(settings.mainWindowGeometry(), std::nullopt);
    app.reset();
    makeApp();
    EXPECT_TRUE(screenArea().contains(app->mainWindow().geometry().topLeft()));
}

}  // namespace
}  // namespace lumivex::test

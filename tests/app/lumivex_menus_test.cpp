#include "app/app_commands.h"
#include "app/app_delegate.h"
#include "app/app_fixture.h"
#include "app/lumivex_edit_commands.h"
#include "app/lumivex_media_commands.h"
#include "app/lumivex_update_view.h"
#include "browser/header_toolbar.h"
#include "browser/media_grid_view.h"
#include "inspector/inspector_slots.h"
#include "inspector/inspector_view.h"
#include "inspector/notes_editor.h"
#include "media_views/lumivex_photo_access_guide.h"
#include "media_views/photo_consent_dialog.h"
#include "panels/lumivex_settings_view.h"
#include "support/event_loop.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QWindow>

namespace lumivex::test {
namespace {

class Menus : public AppTest {
protected:
    void openThree() {
        addPhoto(QStringLiteral("a.jpg"));
        addPhoto(QStringLiteral("b.jpg"));
        addPhoto(QStringLiteral("c.jpg"));
        makeApp();
        openLibrary();
        app->mediaCommands().sync();
        app->editCommands().sync();
    }

    QStringList menuTitles() const {
        QStringList titles;
        for (QAction* menu : app->mainWindow().menuBar()->actions()) {
            titles.append(menu->text());
        }
        return titles;
    }

    void focusGrid() {
        grid->setFocus();
        settle();
    }

    QLineEdit* searchField() const { return window->header()->findChild<QLineEdit*>(); }

    LumivexMediaCommands& media() const { return app->mediaCommands(); }
    LumivexEditCommands& edit() const { return app->editCommands(); }

    LumivexSettingsView& makeSettings() {
        app->setSettingsWindow(
            std::make_unique<LumivexSettingsView>(*defaults, photos, guide, [] {}));
        return *app->settingsWindow();
    }

    PhotoConsentDialog consent;
    LumivexPhotoAccessGuide guide{consent, [](PhotoConsentAnswer) {}};
};

TEST_F(Menus, StandInTheirOrderWithTheLibraryItemsOfFileDisabledWithoutALibrary) {
    makeApp();
    EXPECT_EQ(menuTitles(),
              QStringList({QStringLiteral("Dovrin"), QStringLiteral("파일"), QStringLiteral("편집"),
                           QStringLiteral("미디어"), QStringLiteral("도움말")}));
    const AppCommands& commands = app->commands();
    EXPECT_TRUE(commands.openLibraryAction()->isEnabled());
    EXPECT_TRUE(commands.photosAction()->isEnabled());
    EXPECT_EQ(commands.photosAction()->text(), QStringLiteral("사진 보관함"));
    EXPECT_EQ(commands.photosAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+P")));
    for (QAction* action :
         {commands.showFilesAction(), commands.refreshAction(), commands.exportAction()}) {
        EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
    }
    EXPECT_EQ(commands.shortcutsAction()->text(), QStringLiteral("Dovrin 단축키"));
    EXPECT_TRUE(commands.shortcutsAction()->isEnabled());
    QApplication::focusWidget()->clearFocus();
    settle();
    EXPECT_EQ(media().selectAllAction()->text(), QStringLiteral("현재 목록 전체 선택"));
    EXPECT_FALSE(media().selectAllAction()->isEnabled());
    EXPECT_FALSE(edit().undoAction()->isEnabled());
    EXPECT_EQ(edit().undoAction()->text(), QStringLiteral("실행 취소"));

    openLibrary();
    for (QAction* action :
         {commands.showFilesAction(), commands.refreshAction(), commands.exportAction()}) {
        EXPECT_TRUE(action->isEnabled()) << action->text().toStdString();
    }
}

TEST_F(Menus, QuittingStoresTheNoteBeingWrittenBeforeTheEventLoopEnds) {
    openThree();
    InspectorSlots::install(*window, *store, {thumbnails, photosThumbnails, *defaults});
    store->setNotes(QStringLiteral("x"), item(QStringLiteral("a.jpg")).id);
    selectFiles({QStringLiteral("a.jpg")});
    settle();
    NotesEditor* notes = window->findChild<InspectorView*>()->notesEditor();
    ASSERT_NE(notes, nullptr);
    notes->field()->moveCursor(QTextCursor::End);
    QTest::keyClicks(notes->field(), QStringLiteral("y"));
    // No queued call runs after the quit command: the loop it ends runs no more.
    app->commands().quitAction()->trigger();
    EXPECT_EQ(item(QStringLiteral("a.jpg")).notes, QStringLiteral("xy"));
}

TEST_F(Menus, ThePhotoLibraryItemShowsTheSetupUntilItWasCompleted) {
    makeApp();
    photos.status = PhotoAuthorizationStatus::authorized;
    app->commands().photosAction()->trigger();
    EXPECT_TRUE(store->showPhotosSetup());
    EXPECT_EQ(store->source(), LibrarySource::none);
}

TEST_F(Menus, RefreshRescansAndForgetsTheMetadataHistory) {
    openThree();
    selectFiles({QStringLiteral("a.jpg")});
    focusGrid();
    press(Qt::Key_2);
    ASSERT_FALSE(store->metadataHistory().undo().isEmpty());
    press(Qt::Key_R, Qt::ControlModifier);
    EXPECT_TRUE(store->metadataHistory().undo().isEmpty());
    EXPECT_EQ(rating(QStringLiteral("a.jpg")), 2);
}

TEST_F(Menus, UndoAndSelectAllServeTheFocusedTextFieldFirst) {
    openThree();
    selectFiles({QStringLiteral("a.jpg")});
    focusGrid();
    press(Qt::Key_4);
    ASSERT_EQ(rating(QStringLiteral("a.jpg")), 4);

    QLineEdit* field = searchField();
    ASSERT_NE(field, nullptr);
    field->setFocus();
    QTest::keyClicks(field, QStringLiteral("a.j"));
    settle();
    EXPECT_EQ(media().selectAllAction()->text(), QStringLiteral("텍스트 전체 선택"));
    EXPECT_FALSE(media().previewAction()->isEnabled());
    for (QAction* rate : media().ratingActions()) {
        EXPECT_FALSE(rate->isEnabled());
    }
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_NE(field->text(), QStringLiteral("a.j")) << "the typing was undone";
    EXPECT_EQ(rating(QStringLiteral("a.jpg")), 4) << "the metadata was not";
    field->setText(QStringLiteral("a.jp"));
    settle();
    press(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(field->selectedText(), QStringLiteral("a.jp"));
    EXPECT_EQ(store->selection().size(), 1);

    // Chosen from the menu, the items act on the field just the same.
    field->deselect();
    media().selectAllAction()->trigger();
    EXPECT_EQ(field->selectedText(), QStringLiteral("a.jp"));
    edit().undoAction()->trigger();
    EXPECT_EQ(rating(QStringLiteral("a.jpg")), 4);
}

TEST_F(Menus, WithTheGridFocusedKeysUndoRedoAndSelectTheLibraryExactlyOnce) {
    openThree();
    selectFiles({QStringLiteral("a.jpg")});
    focusGrid();
    press(Qt::Key_1);
    press(Qt::Key_3);
    ASSERT_EQ(rating(QStringLiteral("a.jpg")), 3);
    EXPECT_EQ(edit().undoAction()->text(), QStringLiteral("별점 변경 실행 취소"));

    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(rating(QStringLiteral("a.jpg")), 1) << "one step, not two";
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(rating(QStringLiteral("a.jpg")), 3);

    press(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(store->selection().size(), 3);
    EXPECT_EQ(media().selectAllAction()->text(), QStringLiteral("현재 목록 전체 선택"));

    press(Qt::Key_5, Qt::ControlModifier);
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
        EXPECT_EQ(rating(QString::fromLatin1(name)), 5) << name;
    }
    press(Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(rating(QStringLiteral("b.jpg")), 0) << "별점 지우기";
}

TEST_F(Menus, TheMediaItemsFollowTheSelectionAndSpaceOpensThePreview) {
    openThree();
    focusGrid();
    store->setSelection({});
    settle();
    EXPECT_FALSE(media().previewAction()->isEnabled());
    EXPECT_FALSE(media().deleteAction()->isEnabled());
    EXPECT_FALSE(media().ratingActions().front()->isEnabled());
    EXPECT_TRUE(media().selectAllAction()->isEnabled());

    selectFiles({QStringLiteral("b.jpg")});
    EXPECT_TRUE(media().previewAction()->isEnabled());
    EXPECT_TRUE(media().deleteAction()->isEnabled());
    EXPECT_TRUE(media().ratingActions().back()->isEnabled());

    search(QStringLiteral("nothing matches this"));
    app->mediaCommands().sync();
    EXPECT_FALSE(media().selectAllAction()->isEnabled()) << "no visible items";
    search(QString());
    selectFiles({QStringLiteral("b.jpg")});
    focusGrid();  // the empty list had hidden the grid

    press(Qt::Key_Space);
    ASSERT_TRUE(window->state().preview());
    EXPECT_EQ(window->state().preview()->filename, QStringLiteral("b.jpg"));
    EXPECT_FALSE(media().previewAction()->isEnabled()) << "the preview keeps its own keys";
    EXPECT_FALSE(media().ratingActions()[3]->isEnabled());
    EXPECT_FALSE(edit().undoAction()->isEnabled());
    window->state().setPreview(std::nullopt);
    settle();

    media().deleteAction()->trigger();
    ASSERT_TRUE(store->deletionRequest());
    EXPECT_FALSE(media().deleteAction()->isEnabled());
    EXPECT_FALSE(media().selectAllAction()->isEnabled());
}

TEST_F(Menus, NothingActsOnTheLibraryWhileAPanelFloatsOrAnotherWindowIsActive) {
    openThree();
    selectFiles({QStringLiteral("a.jpg")});
    focusGrid();
    press(Qt::Key_2);
    ASSERT_TRUE(edit().undoAction()->isEnabled());

    QWidget panel(&app->mainWindow(), Qt::Tool);
    panel.show();
    settle();
    edit().sync();
    media().sync();
    EXPECT_FALSE(edit().undoAction()->isEnabled());
    EXPECT_FALSE(media().ratingActions()[4]->isEnabled());
    edit().perform(false);
    media().ratingActions()[4]->trigger();
    EXPECT_EQ(rating(QStringLiteral("a.jpg")), 2) << "a stale menu changes nothing";
    panel.hide();

    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    settle();
    edit().sync();
    EXPECT_EQ(edit().undoAction()->text(), QStringLiteral("실행 취소"));
    EXPECT_FALSE(edit().undoAction()->isEnabled());
    edit().perform(false);
    EXPECT_EQ(rating(QStringLiteral("a.jpg")), 2);

    // The shortcut table is never withheld: its key is heard from any window.
    QTest::keyClick(&other, Qt::Key_Slash, Qt::ControlModifier);
    settle();
    EXPECT_EQ(window->state().utilityPanel(), LumivexUtilityPanel::shortcuts);
}

TEST_F(Menus, EscapeFromAMenuHandsTheKeyboardBackToTheFieldThatHadIt) {
    openThree();
    selectFiles({QStringLiteral("a.jpg")});
    QLineEdit* field = searchField();
    field->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(field, QStringLiteral("a."));
    settle();
    QMenuBar* bar = app->mainWindow().menuBar();
    const QRect title = bar->actionGeometry(bar->actions().at(3));
    QTest::mouseClick(bar, Qt::LeftButton, {}, title.center());
    ASSERT_NE(QApplication::activePopupWidget(), nullptr);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), field);
    // The offscreen platform activates the menu's own window late; a window manager never does.
    activate();
    EXPECT_EQ(media().selectAllAction()->text(), QStringLiteral("텍스트 전체 선택"));
    press(Qt::Key_4);
    EXPECT_EQ(field->text(), QStringLiteral("a.4"));
    EXPECT_EQ(rating(QStringLiteral("a.jpg")), 0);
}

TEST_F(Menus, TheShortcutKeyClosesTheShortcutPanelItOpened) {
    openThree();
    press(Qt::Key_Slash, Qt::ControlModifier);
    ASSERT_EQ(window->state().utilityPanel(), LumivexUtilityPanel::shortcuts);
    press(Qt::Key_Slash, Qt::ControlModifier);
    EXPECT_FALSE(window->state().utilityPanel());
}

TEST_F(Menus, AfterTheFocusedNotesGoAwayUndoUndoesTheNoteNotTheSearch) {
    addPhoto(QStringLiteral("IMG_1001.jpg"));
    makeApp();
    InspectorSlots::install(*window, *store, {thumbnails, photosThumbnails, *defaults});
    openLibrary();
    selectFiles({QStringLiteral("IMG_1001.jpg")});
    store->setNotes(QStringLiteral("메모"), item(QStringLiteral("IMG_1001.jpg")).id);
    QLineEdit* field = searchField();
    field->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(field, QStringLiteral("IMG_100"));
    settle();
    auto* inspector = window->findChild<InspectorView*>();
    ASSERT_NE(inspector->notesEditor(), nullptr);
    inspector->notesEditor()->field()->setFocus(Qt::MouseFocusReason);
    press(Qt::Key_A, Qt::ControlModifier);
    press(Qt::Key_Backspace);
    press(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_EQ(inspector->notesEditor(), nullptr);
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(field->text(), QStringLiteral("IMG_100"));
    EXPECT_EQ(item(QStringLiteral("IMG_1001.jpg")).notes, QStringLiteral("메모"));

    // Hiding the inspector that holds the keyboard hands it to the grid just the same.
    ASSERT_NE(inspector->notesEditor(), nullptr);
    inspector->notesEditor()->field()->setFocus(Qt::MouseFocusReason);
    window->state().setShowInspector(false);
    settle();
    EXPECT_NE(QApplication::focusWidget(), field);
}

TEST_F(Menus, AfterAPanelClosesTheKeyboardIsTheClickedGridsAgain) {
    openThree();
    const QRect card = grid->visualRect(grid->model()->index(0, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, card.center());
    settle();
    ASSERT_EQ(store->selection().size(), 1);
    press(Qt::Key_Slash, Qt::ControlModifier);
    press(Qt::Key_Slash, Qt::ControlModifier);
    activate();  // as a window manager does when the panel's sheet goes
    press(Qt::Key_4);
    EXPECT_TRUE(searchField()->text().isEmpty());
    EXPECT_EQ(store->selectedItems().first().rating, 4);
}

TEST_F(Menus, TheUpdateItemShowsTheUpdateWindowAndStartsAManualCheck) {
    makeApp();
    app->commands().updateCheckAction()->trigger();
    ASSERT_NE(updates->updateWindow(), nullptr);
    EXPECT_TRUE(updates->updateWindow()->isVisible());
    EXPECT_EQ(updates->updateWindow()->size(), QSize(480, 410));
    EXPECT_EQ(updates->updateWindow()->windowTitle(), QStringLiteral("Dovrin 업데이트"));
    EXPECT_EQ(fetches.size(), 1u);
    updates->updateWindow()->close();
    EXPECT_FALSE(updates->updateWindow()->isVisible());
    app->commands().updateCheckAction()->trigger();
    EXPECT_TRUE(updates->updateWindow()->isVisible()) << "the same window again";
}

TEST_F(Menus, TheSettingsWindowHoldsTheUpdatePageAndOpensFromTheMenuAndTheHeader) {
    makeApp();
    LumivexSettingsView& settings = makeSettings();
    ASSERT_EQ(settings.tabs()->count(), 3);
    EXPECT_EQ(settings.tabs()->tabText(2), QStringLiteral("업데이트"));
    EXPECT_NE(qobject_cast<LumivexUpdateView*>(settings.tabs()->widget(2)), nullptr);

    press(Qt::Key_Comma, Qt::ControlModifier);
    EXPECT_TRUE(settings.isVisible());
    // Of a fixed size, it offers neither to be minimised nor to be maximised.
    EXPECT_FALSE(settings.windowHandle()->flags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    ASSERT_TRUE(QTest::qWaitForWindowActive(&settings));
    // Heard from the settings window as well.
    QTest::keyClick(&settings, Qt::Key_Slash, Qt::ControlModifier);
    settle();
    EXPECT_EQ(window->state().utilityPanel(), LumivexUtilityPanel::shortcuts);

    settings.hide();
    window->header()->settingsButton()->click();
    EXPECT_TRUE(settings.isVisible());
}

// The settings and update windows stay above the main window as its dialogs; Escape closes them.
// One left open when the main window closes stands on its own, keeping the process running.
TEST_F(Menus, TheSecondaryWindowsStayAboveTheMainWindowAndEscapeClosesThem) {
    makeApp();
    LumivexSettingsView& settings = makeSettings();
    app->showSettings();
    app->commands().updateCheckAction()->trigger();
    for (QWidget* shown : {static_cast<QWidget*>(&settings), updates->updateWindow()}) {
        // A dialog counts as active with its main window: wait for the keyboard itself.
        shown->activateWindow();
        runEventsUntil([shown] { return QApplication::activeWindow() == shown; }, "activation");
        EXPECT_EQ(shown->windowHandle()->transientParent(), app->mainWindow().windowHandle());
        QTest::keyClick(shown, Qt::Key_Escape);
        EXPECT_FALSE(shown->isVisible()) << shown->windowTitle().toStdString();
    }
    app->showSettings();
    app->mainWindow().close();
    EXPECT_EQ(settings.windowHandle()->transientParent(), nullptr);
}

TEST_F(Menus, ThePackagedApplicationAsksForAnUpdateCheckOnlyAfterItsFirstPaint) {
    packaged = true;
    makeApp();
    QSignalSpy launched(&app->delegate(), &AppDelegate::launched);
    app->mainWindow().hide();
    EXPECT_TRUE(fetches.empty());
    app->launch();
    runEventsUntil([&] { return !launched.isEmpty(); }, "the launch step");
    EXPECT_EQ(fetches.size(), 1u);
    EXPECT_TRUE(updates->isChecking());
}

}  // namespace
}  // namespace lumivex::test

#include "application_run.h"

#include "app/file_chooser_dialog.h"
#include "browser/browser_area.h"
#include "browser/deletion_alert.h"
#include "browser/filter_bar.h"
#include "browser/filter_picker_button.h"
#include "browser/folder_menu_controller.h"
#include "browser/folder_menu_row.h"
#include "browser/header_toolbar.h"
#include "browser/lumivex_view.h"
#include "browser/media_grid_model.h"
#include "browser/media_grid_view.h"
#include "browser/sheet_slot.h"
#include "browser/sidebar.h"
#include "catalog/folder_catalog.h"
#include "catalog/library_state.h"
#include "inspector/category_sheet.h"
#include "inspector/inspector_view.h"
#include "inspector/label_editor.h"
#include "inspector/property_option_picker.h"
#include "support/event_loop.h"
#include "support/media_fixtures.h"
#include "support/temporary_trash_home.h"
#include "support/test_files.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace lumivex::test {
namespace {

class CullingPass : public ::testing::Test {
protected:
    CullingPass() : trashHome(temp.path()), library(temp.path() + QStringLiteral("/Library")) {
        const QStringList photoNames{QStringLiteral("beach.jpg"),
                                     QStringLiteral("2024/harbour.jpg"),
                                     QStringLiteral("2024/market.jpg"),
                                     QStringLiteral("2024/spring/blossom.jpg"),
                                     QStringLiteral("2024/spring/river.jpg"),
                                     QStringLiteral("family/dinner.jpg")};
        for (const QString& name : photoNames) {
            writeFile(at(name), encodeImage(photoLikeImage(QSize(320, 240), qHash(name)), "JPEG"));
        }
        for (const QString& name :
             {QStringLiteral("2024/waves.mp4"), QStringLiteral("family/party.mp4")}) {
            makeDirectories(QFileInfo(at(name)).absolutePath());
            writeVideo(at(name), VideoClip{});
        }
    }

    // Starts the application without arguments, its window the active one.
    void start() {
        ApplicationRun::Options options;
        options.home = trashHome.home();
        run = std::make_unique<ApplicationRun>(options);
        run->launch();
        QMainWindow& main = run->app->mainWindow();
        QApplication::setActiveWindow(&main);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    }

    QString at(const QString& relative) const { return library + QLatin1Char('/') + relative; }

    void settle() {
        // A window manager gives the focus back to the main window when the active window goes
        // away (a closed filter menu, a dialog); the offscreen platform does not.
        QWidget* active = QApplication::activeWindow();
        if (run && (active == nullptr || !active->isVisible())) {
            QApplication::setActiveWindow(&run->app->mainWindow());
        }
        runEventsUntil(
            [this] {
                return !run->store->scanning() && !run->store->deleting() &&
                       !run->store->derivedViewsPending();
            },
            "the application");
    }

    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        // To the focused widget, or to the active window when nothing has the focus.
        QWidget* target = QApplication::focusWidget();
        if (target == nullptr) {
            target = QApplication::activeWindow();
        }
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
        settle();
    }

    // Chooses the library in the folder dialog of "라이브러리 열기…" (Ctrl+O), as a user would.
    void openThroughTheFolderDialog() {
        QTimer::singleShot(0, [this] {
            auto* dialog = qobject_cast<FileChooserDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            QFileDialog& files = dialog->files();
            files.setDirectory(library);
            files.selectFile(library);
            static_cast<QDialog&>(files).accept();  // as its accept button does
        });
        press(Qt::Key_O, Qt::ControlModifier);
        QApplication::setActiveWindow(&run->app->mainWindow());
    }

    qsizetype row(const QString& filename) const {
        const MediaGridModel& model = run->grid->gridModel();
        for (qsizetype i = 0; i < model.rowCount(); ++i) {
            if (model.item(i).filename == filename) {
                return i;
            }
        }
        return -1;
    }

    // The files the grid shows, in its order.
    QStringList shown() const {
        QStringList names;
        const MediaGridModel& model = run->grid->gridModel();
        for (qsizetype i = 0; i < model.rowCount(); ++i) {
            names.append(model.item(i).filename);
        }
        return names;
    }

    void clickCard(const QString& filename, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const qsizetype found = row(filename);
        ASSERT_GE(found, 0) << filename.toStdString();
        MediaGridView& grid = *run->grid;
        grid.scrollTo(grid.model()->index(static_cast<int>(found), 0));
        const QRect card = grid.visualRect(grid.model()->index(static_cast<int>(found), 0));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, modifiers,
                          card.topLeft() + QPoint(card.width() / 2, card.height() / 4));
        settle();
    }

    void rate(const QString& filename, int rating) {
        clickCard(filename);
        press(Qt::Key_0 + rating);
    }

    int ratingOnScreen(const QString& filename) const {
        const qsizetype found = row(filename);
        return found < 0 ? -1 : run->grid->gridModel().item(found).rating;
    }

    // Korean text comes through the input method, as a committed string.
    static void type(QWidget* field, const QString& text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(field, &event);
    }

    // Chooses the row titled `title` in a filter picker's menu.
    void choose(FlatFilterPicker* picker, const QString& title) {
        ASSERT_NE(picker, nullptr);
        QTest::mouseClick(picker, Qt::LeftButton);
        ASSERT_TRUE(picker->controller().isOpen());
        for (FolderMenuRow* choice : picker->controller().rows(0)) {
            if (choice->text() == title) {
                QTest::mouseClick(choice, Qt::LeftButton);
                settle();
                return;
            }
        }
        QStringList titles;
        for (FolderMenuRow* choice : picker->controller().rows(0)) {
            titles.append(choice->text());
        }
        FAIL() << "no choice " << title.toStdString() << " among "
               << titles.join(u'|').toStdString();
    }

    std::optional<Category> property(const QString& name) const {
        for (const Category& category : run->store->library().categories) {
            if (category.name == name) {
                return category;
            }
        }
        return std::nullopt;
    }

    QStringList values(const QString& filename, const Category& category) const {
        for (const MediaItem& item : run->store->library().items) {
            if (item.filename == filename) {
                const QString key = category.id.toString(QUuid::WithoutBraces).toUpper();
                return item.labels.contains(key) ? item.labels.at(key) : QStringList();
            }
        }
        return {};
    }

    InspectorView& inspector() const { return *run->window->findChild<InspectorView*>(); }

    QTemporaryDir temp;
    TemporaryTrashHome trashHome;
    QString library;
    std::unique_ptr<ApplicationRun> run;
};

TEST_F(CullingPass, RatesFiltersSearchesDeletesUndoesAndFindsItAllAgainAfterARestart) {
    start();
    EXPECT_EQ(run->store->source(), LibrarySource::none);
    openThroughTheFolderDialog();
    ASSERT_EQ(run->store->root(), library);
    ASSERT_EQ(shown().size(), 8);

    // Rating with the digit keys, one selected card at a time.
    rate(QStringLiteral("beach.jpg"), 5);
    rate(QStringLiteral("2024/harbour.jpg"), 4);
    rate(QStringLiteral("2024/spring/river.jpg"), 2);
    rate(QStringLiteral("family/party.mp4"), 3);
    EXPECT_EQ(ratingOnScreen(QStringLiteral("beach.jpg")), 5);
    EXPECT_EQ(ratingOnScreen(QStringLiteral("family/party.mp4")), 3);

    // A property of the library, and a value for two cards.
    QTest::mouseClick(run->window->sidebar()->addPropertyButton(), Qt::LeftButton);
    settle();
    auto* sheet = qobject_cast<CategorySheet*>(run->window->categorySheet()->dialog());
    ASSERT_NE(sheet, nullptr);
    type(sheet->nameField(), QStringLiteral("장소"));
    QTest::keyClick(sheet->nameField(), Qt::Key_Return);
    settle();
    const std::optional<Category> place = property(QStringLiteral("장소"));
    ASSERT_TRUE(place);
    clickCard(QStringLiteral("beach.jpg"));
    clickCard(QStringLiteral("2024/harbour.jpg"), Qt::ControlModifier);
    LabelEditor* editor = inspector().labelEditor(place->id);
    ASSERT_NE(editor, nullptr);
    QLineEdit* value = editor->picker()->searchField();
    value->setFocus();
    type(value, QStringLiteral("바다"));
    QTest::keyClick(value, Qt::Key_Return);
    settle();
    EXPECT_EQ(values(QStringLiteral("beach.jpg"), *place), QStringList{QStringLiteral("바다")});
    EXPECT_EQ(values(QStringLiteral("2024/harbour.jpg"), *place),
              QStringList{QStringLiteral("바다")});
    EXPECT_TRUE(values(QStringLiteral("2024/market.jpg"), *place).isEmpty());

    // A rating filter, then the search field.
    choose(run->window->browserArea()->filterBar()->ratingPicker(), QStringLiteral("4점 이상"));
    EXPECT_EQ(shown().size(), 2);
    EXPECT_TRUE(shown().contains(QStringLiteral("beach.jpg")));
    EXPECT_TRUE(shown().contains(QStringLiteral("2024/harbour.jpg")));
    QTest::mouseClick(run->window->browserArea()->filterBar()->resetButton(), Qt::LeftButton);
    settle();
    ASSERT_EQ(shown().size(), 8);
    choose(run->window->browserArea()->filterBar()->propertyPicker(place->id),
           QStringLiteral("바다 (2)"));
    QStringList seaside = shown();
    seaside.sort();
    EXPECT_EQ(seaside,
              QStringList({QStringLiteral("2024/harbour.jpg"), QStringLiteral("beach.jpg")}));
    QTest::mouseClick(run->window->browserArea()->filterBar()->resetButton(), Qt::LeftButton);
    settle();
    ASSERT_EQ(shown().size(), 8);
    QLineEdit* search = run->window->header()->findChild<QLineEdit*>();
    ASSERT_NE(search, nullptr);
    search->setFocus();
    QTest::keyClicks(search, QStringLiteral("spring"));
    settle();
    QStringList found = shown();
    found.sort();
    EXPECT_EQ(found, QStringList({QStringLiteral("2024/spring/blossom.jpg"),
                                  QStringLiteral("2024/spring/river.jpg")}));
    QTest::keyClick(search, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(search, Qt::Key_Backspace);
    settle();
    EXPECT_EQ(search->text(), QString());
    EXPECT_EQ(shown().size(), 8);

    // Space previews the selected card; "." moves the preview to the next card in the grid.
    clickCard(QStringLiteral("2024/market.jpg"));
    const QStringList order = shown();
    press(Qt::Key_Space);
    ASSERT_TRUE(run->window->state().preview());
    EXPECT_EQ(run->window->state().preview()->filename, QStringLiteral("2024/market.jpg"));
    press(Qt::Key_Period);
    const QString next = order.value(order.indexOf(QStringLiteral("2024/market.jpg")) + 1);
    ASSERT_TRUE(run->window->state().preview());
    EXPECT_EQ(run->window->state().preview()->filename, next);
    EXPECT_EQ(run->store->selection(), QSet<QUuid>({run->window->state().preview()->id}));
    press(Qt::Key_Escape);
    EXPECT_FALSE(run->window->state().preview());

    // Two items to the Trash.
    clickCard(QStringLiteral("2024/market.jpg"));
    clickCard(QStringLiteral("family/dinner.jpg"), Qt::ControlModifier);
    ASSERT_EQ(run->store->selection().size(), 2);
    press(Qt::Key_Delete);
    QMessageBox* box = run->window->deletionAlert()->box();
    ASSERT_NE(box, nullptr);
    QPushButton* move = nullptr;
    for (QAbstractButton* button : box->buttons()) {
        if (button->text() == QStringLiteral("휴지통으로 이동")) {
            move = qobject_cast<QPushButton*>(button);
        }
    }
    ASSERT_NE(move, nullptr);
    QTest::mouseClick(move, Qt::LeftButton);
    settle();
    EXPECT_EQ(shown().size(), 6);
    EXPECT_FALSE(QFileInfo::exists(at(QStringLiteral("2024/market.jpg"))));
    EXPECT_TRUE(QFileInfo::exists(trashHome.trashFiles() + QStringLiteral("/market.jpg")));
    EXPECT_TRUE(QFileInfo::exists(trashHome.trashFiles() + QStringLiteral("/dinner.jpg")));

    // A rating, and its undo.
    rate(QStringLiteral("2024/harbour.jpg"), 1);
    EXPECT_EQ(ratingOnScreen(QStringLiteral("2024/harbour.jpg")), 1);
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(ratingOnScreen(QStringLiteral("2024/harbour.jpg")), 4);

    // Quitting: the last window closes.
    run->app->mainWindow().close();
    const QWidgetList windows = QApplication::topLevelWidgets();
    EXPECT_TRUE(std::none_of(windows.begin(), windows.end(),
                             [](const QWidget* window) { return window->isVisible(); }));
    run.reset();

    // On disk, as another reader finds it.
    const LibraryState disk = FolderCatalog::load(library, std::nullopt);
    QHash<QString, int> ratings;
    for (const MediaItem& item : disk.library.items) {
        ratings.insert(item.filename, static_cast<int>(item.rating));
    }
    EXPECT_EQ(ratings.size(), 6);
    EXPECT_EQ(ratings.value(QStringLiteral("beach.jpg")), 5);
    EXPECT_EQ(ratings.value(QStringLiteral("2024/harbour.jpg")), 4);
    EXPECT_EQ(ratings.value(QStringLiteral("2024/spring/river.jpg")), 2);
    EXPECT_EQ(ratings.value(QStringLiteral("family/party.mp4")), 3);
    EXPECT_EQ(disk.deleted.records.size(), 2);

    // Started again without arguments: the remembered library, every edit on screen.
    start();
    settle();
    EXPECT_EQ(run->store->source(), LibrarySource::folder);
    EXPECT_EQ(run->store->root(), library);
    EXPECT_EQ(shown().size(), 6);
    EXPECT_EQ(ratingOnScreen(QStringLiteral("beach.jpg")), 5);
    EXPECT_EQ(ratingOnScreen(QStringLiteral("2024/harbour.jpg")), 4);
    EXPECT_EQ(ratingOnScreen(QStringLiteral("2024/spring/river.jpg")), 2);
    EXPECT_EQ(ratingOnScreen(QStringLiteral("family/party.mp4")), 3);
    EXPECT_EQ(ratingOnScreen(QStringLiteral("2024/market.jpg")), -1);
    EXPECT_EQ(run->store->deletedArchive().records.size(), 2);
    const std::optional<Category> kept = property(QStringLiteral("장소"));
    ASSERT_TRUE(kept);
    EXPECT_EQ(values(QStringLiteral("beach.jpg"), *kept), QStringList{QStringLiteral("바다")});
    clickCard(QStringLiteral("beach.jpg"));
    LabelEditor* shownEditor = inspector().labelEditor(kept->id);
    ASSERT_NE(shownEditor, nullptr);
    EXPECT_TRUE(shownEditor->isVisibleTo(&inspector()));
    EXPECT_NE(run->window->browserArea()->filterBar()->propertyPicker(kept->id), nullptr);
}

TEST_F(CullingPass, ADigitAfterTheNewPropertySheetRatesTheCardClickedBefore) {
    start();
    openThroughTheFolderDialog();
    clickCard(QStringLiteral("beach.jpg"));
    // The clicked button has the keyboard; the sidebar replaces it before the window is active.
    const QPointer<QPushButton> clicked = run->window->sidebar()->addPropertyButton();
    QTest::mouseClick(clicked, Qt::LeftButton);
    settle();
    auto* sheet = qobject_cast<CategorySheet*>(run->window->categorySheet()->dialog());
    ASSERT_NE(sheet, nullptr);
    type(sheet->nameField(), QStringLiteral("장소"));
    QTest::keyClick(sheet->nameField(), Qt::Key_Return);
    runEventsUntil([&] { return clicked.isNull(); }, "the sidebar");
    settle();
    press(Qt::Key_3);
    EXPECT_EQ(ratingOnScreen(QStringLiteral("beach.jpg")), 3);
    EXPECT_TRUE(run->window->header()->searchField()->text().isEmpty());
}

}  // namespace
}  // namespace lumivex::test

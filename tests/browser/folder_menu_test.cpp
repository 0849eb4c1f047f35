#include "browser/browser_area.h"
#include "browser/filter_bar.h"
#include "browser/filter_picker_button.h"
#include "browser/folder_menu_row.h"
#include "browser/header_toolbar.h"
#include "browser/window_fixture.h"

#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

namespace lumivex::test {
namespace {

// Records the keys that reach a widget past the application's filters.
class KeySpy : public QObject {
public:
    QList<int> keys;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            keys.append(static_cast<QKeyEvent*>(event)->key());
        }
        return false;
    }
};

class FolderMenuTest : public WindowTest {
protected:
    void SetUp() override {
        addPhoto(QStringLiteral("a/x/one.jpg"));
        addPhoto(QStringLiteral("a/two.jpg"));
        addPhoto(QStringLiteral("b/three.jpg"));
        openLibrary();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        field = window->header()->searchField();
        field->setFocus();
        field->installEventFilter(&spy);
        picker = window->browserArea()->filterBar()->folderPicker();
        QTest::mouseClick(picker, Qt::LeftButton);
        ASSERT_TRUE(menu().isOpen());
    }

    FolderMenuController& menu() { return picker->controller(); }
    void key(int code) { QTest::keyClick(field, static_cast<Qt::Key>(code)); }

    QLineEdit* field = nullptr;
    FolderFilterPicker* picker = nullptr;
    KeySpy spy;
};

TEST_F(FolderMenuTest, TheRootLevelListsAllFoldersTheRootAloneAndTheTopFolders) {
    QStringList titles;
    for (const FolderMenuRow* row : menu().rows(0)) {
        titles.append(row->text());
    }
    EXPECT_EQ(titles, (QStringList{QStringLiteral("모든 폴더"), QStringLiteral("선택한 폴더만"),
                                   QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_TRUE(menu().rows(0)[0]->checkMark());
    EXPECT_TRUE(menu().rows(0)[2]->hasChildren());
    EXPECT_EQ(menu().panel(0)->height(), 4 * 30 + 8 + 9 + 34);
    EXPECT_EQ(menu().panel(0)->geometry().top(),
              picker->mapToGlobal(QPoint(0, picker->height())).y() + 5);
    screenshot(QStringLiteral("folder-menu-open"));
}

TEST_F(FolderMenuTest, DownDownRightOpensTheSubfoldersAndReturnChoosesOne) {
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    EXPECT_TRUE(menu().rows(0)[2]->menuHighlighted());
    key(Qt::Key_Right);
    ASSERT_EQ(menu().levelCount(), 2);
    EXPECT_EQ(menu().focusedDepth(), 1);
    EXPECT_EQ(menu().rows(1)[0]->text(), QStringLiteral("x"));
    EXPECT_EQ(menu().panel(1)->geometry().left(), menu().panel(0)->geometry().right());
    key(Qt::Key_Left);
    EXPECT_EQ(menu().levelCount(), 1);
    EXPECT_EQ(menu().focusedIndex(), 2);
    key(Qt::Key_Right);
    key(Qt::Key_Return);
    settle();
    EXPECT_FALSE(menu().isOpen());
    EXPECT_EQ(store->query().folderPath, QStringLiteral("a/x"));
    EXPECT_TRUE(spy.keys.isEmpty());
}

TEST_F(FolderMenuTest, EscapeClosesAndIsSwallowedTabClosesAndPassesOn) {
    key(Qt::Key_Escape);
    EXPECT_FALSE(menu().isOpen());
    EXPECT_TRUE(spy.keys.isEmpty());
    QTest::mouseClick(picker, Qt::LeftButton);
    ASSERT_TRUE(menu().isOpen());
    key(Qt::Key_Tab);
    EXPECT_FALSE(menu().isOpen());
    EXPECT_EQ(spy.keys, QList<int>{Qt::Key_Tab});
}

TEST_F(FolderMenuTest, ClickingTheButtonAgainClosesItOnce) {
    QTest::mouseClick(picker, Qt::LeftButton);
    EXPECT_FALSE(menu().isOpen());
}

TEST_F(FolderMenuTest, KeysTypedInAnotherWindowAreLeftAlone) {
    QLineEdit other;
    other.setAttribute(Qt::WA_ShowWithoutActivating);
    other.show();
    settle();
    if (!menu().isOpen()) {
        QTest::mouseClick(picker, Qt::LeftButton);
    }
    ASSERT_TRUE(menu().isOpen());
    for (const Qt::Key code : {Qt::Key_Down, Qt::Key_Return}) {
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier);
        QCoreApplication::sendEvent(&other, &press);
    }
    settle();
    ASSERT_TRUE(menu().isOpen());
    EXPECT_EQ(menu().focusedIndex(), 0);
    EXPECT_FALSE(store->query().folderPath.has_value());
}

TEST_F(FolderMenuTest, ADialogTakingTheFocusClosesTheMenu) {
    QDialog sheet(window.get());
    sheet.setWindowModality(Qt::WindowModal);
    auto* input = new QLineEdit(&sheet);
    sheet.open();
    sheet.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    settle();
    EXPECT_FALSE(menu().isOpen());
    QTest::keyClick(input, Qt::Key_Space);
    QTest::keyClick(input, Qt::Key_Return);
    settle();
    EXPECT_FALSE(store->query().folderPath.has_value());
}

TEST_F(FolderMenuTest, ReconfiguringKeepsTheMenuOnlyWhileNothingChanged) {
    store->setQuery(store->query());
    settle();
    EXPECT_TRUE(menu().isOpen());
    store->selectFolderFilter(QStringLiteral("b"));
    settle();
    EXPECT_FALSE(menu().isOpen());
}

}  // namespace
}  // namespace lumivex::test

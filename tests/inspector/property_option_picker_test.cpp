#include "inspector/property_option_picker.h"
#include "inspector/active_property.h"
#include "inspector/inspector_fixture.h"
#include "inspector/label_editor.h"
#include "inspector/option_chips.h"
#include "inspector/option_list.h"
#include "store/lumivex_store.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QToolTip>

namespace lumivex::test {
namespace {

using namespace Qt::StringLiterals;

class PropertyOptionPickerTest : public InspectorTest {
protected:
    void SetUp() override {
        InspectorTest::SetUp();
        selectFiles({QStringLiteral("a.jpg")});
        for (const char* option : {"Apple", "Banana"}) {
            store->addLabel(QString::fromUtf8(option), category(QStringLiteral("태그")));
        }
        store->clearLabels(category(QStringLiteral("태그")));
        selectFiles({QStringLiteral("a.jpg"), QStringLiteral("b.jpg"), QStringLiteral("c.jpg")});
    }

    PropertyOptionPicker& tags() const { return picker(QStringLiteral("태그")); }
    void type(PropertyOptionPicker& picker, const QString& text) {
        picker.searchField()->setFocus();
        QTest::keyClicks(picker.searchField(), text);
    }
    QStringList chips(PropertyOptionPicker& picker) const {
        return picker.chips()->isVisibleTo(&picker) ? picker.chips()->texts() : QStringList();
    }
};

TEST_F(PropertyOptionPickerTest, FocusOpensTypingFiltersAndEnterCreatesTheTrimmedText) {
    PropertyOptionPicker& picker = tags();
    EXPECT_FALSE(picker.expanded());
    EXPECT_EQ(picker.searchField()->placeholderText(), QStringLiteral("비어 있음"));
    type(picker, QStringLiteral("an"));
    EXPECT_TRUE(picker.expanded());
    EXPECT_EQ(picker.model().rowIDs(),
              (QStringList{QStringLiteral("option:Banana"), QStringLiteral("create")}));
    QTest::keyClick(picker.searchField(), Qt::Key_Down);
    QTest::keyClick(picker.searchField(), Qt::Key_Down);
    EXPECT_EQ(picker.model().highlighted(), QStringLiteral("create"));
    QTest::keyClicks(picker.searchField(), QStringLiteral("x"));
    EXPECT_FALSE(picker.model().highlighted());

    picker.searchField()->clear();
    type(picker, QStringLiteral("  pear  "));
    QTest::keyClick(picker.searchField(), Qt::Key_Return);
    settle();
    EXPECT_EQ(values(QStringLiteral("c.jpg"), QStringLiteral("태그")), QStringList{u"pear"_s});
    EXPECT_EQ(undoTitles().last(), QStringLiteral("분류 정보 변경"));
    // A multiple-choice picker stays open, focused, with an empty field.
    EXPECT_TRUE(picker.expanded());
    EXPECT_TRUE(picker.searchField()->hasFocus());
    EXPECT_TRUE(picker.searchField()->text().isEmpty());
}

TEST_F(PropertyOptionPickerTest, ABlankEnterAppliesTheFirstOptionAndAnEqualTextTheStoredOption) {
    PropertyOptionPicker& picker = tags();
    type(picker, QStringLiteral("banana"));
    QTest::keyClick(picker.searchField(), Qt::Key_Return);
    settle();
    EXPECT_EQ(values(QStringLiteral("a.jpg"), QStringLiteral("태그")), QStringList{u"Banana"_s});
    QTest::keyClick(picker.searchField(), Qt::Key_Return);
    settle();
    EXPECT_EQ(values(QStringLiteral("a.jpg"), QStringLiteral("태그")),
              (QStringList{u"Banana"_s, u"Apple"_s}));
}

TEST_F(PropertyOptionPickerTest, CountsShowOnChipsAndRowsAndATapAddsOrRemoves) {
    store->setSelection(ids({QStringLiteral("a.jpg"), QStringLiteral("b.jpg")}));
    store->addLabel(QStringLiteral("Apple"), category(QStringLiteral("태그")));
    selectFiles({QStringLiteral("a.jpg"), QStringLiteral("b.jpg"), QStringLiteral("c.jpg")});
    PropertyOptionPicker& picker = tags();
    EXPECT_EQ(chips(picker), (QStringList{u"Apple"_s, u"2/3"_s}));
    EXPECT_EQ(picker.model().count(QStringLiteral("Apple")), 2);
    picker.open(true);
    picker.tap(QStringLiteral("Apple"));
    settle();
    EXPECT_EQ(values(QStringLiteral("c.jpg"), QStringLiteral("태그")), QStringList{u"Apple"_s});
    EXPECT_EQ(chips(picker), QStringList{u"Apple"_s});
    picker.tap(QStringLiteral("Apple"));
    settle();
    EXPECT_TRUE(values(QStringLiteral("a.jpg"), QStringLiteral("태그")).isEmpty());
    EXPECT_TRUE(picker.expanded());
    EXPECT_TRUE(picker.searchField()->hasFocus());
    EXPECT_EQ(undoTitles().last(), QStringLiteral("태그 변경"));
}

// The chips are painted in one view: a press on a chip's mark removes its value from every
// selected item; a press anywhere else on the chips opens the picker like the rest of the field.
TEST_F(PropertyOptionPickerTest, AChipsMarkRemovesItsValueAndAPressBesideItOpensThePicker) {
    store->setSelection(ids({QStringLiteral("a.jpg"), QStringLiteral("b.jpg")}));
    store->addLabel(QStringLiteral("Apple"), category(QStringLiteral("태그")));
    store->addLabel(QStringLiteral("Banana"), category(QStringLiteral("태그")));
    selectFiles({QStringLiteral("a.jpg"), QStringLiteral("b.jpg"), QStringLiteral("c.jpg")});
    PropertyOptionPicker& picker = tags();
    OptionChips& chips = *picker.chips();
    ASSERT_EQ(chips.texts(), (QStringList{u"Apple"_s, u"2/3"_s, u"Banana"_s, u"2/3"_s}));
    const QRect mark = chips.markRect(0);
    ASSERT_TRUE(chips.rect().contains(mark));

    QTest::mouseClick(&chips, Qt::LeftButton, {}, mark.center());
    settle();
    EXPECT_EQ(values(QStringLiteral("a.jpg"), QStringLiteral("태그")), QStringList{u"Banana"_s});
    EXPECT_EQ(values(QStringLiteral("b.jpg"), QStringLiteral("태그")), QStringList{u"Banana"_s});
    EXPECT_EQ(undoTitles().last(), QStringLiteral("태그 변경"));
    EXPECT_EQ(chips.texts(), (QStringList{u"Banana"_s, u"2/3"_s}));
    EXPECT_FALSE(picker.expanded());

    QTest::mouseClick(&chips, Qt::LeftButton, {}, QPoint(8, chips.markRect(0).center().y()));
    EXPECT_TRUE(picker.expanded());
    EXPECT_EQ(undoTitles().last(), QStringLiteral("태그 변경"));
}

TEST_F(PropertyOptionPickerTest, ASingleChoiceReplacesAndCloses) {
    PropertyOptionPicker& place = picker(QStringLiteral("위치"));
    store->setSelection(ids({QStringLiteral("a.jpg")}));
    store->addLabel(QStringLiteral("A"), category(QStringLiteral("위치")));
    selectFiles({QStringLiteral("a.jpg"), QStringLiteral("b.jpg"), QStringLiteral("c.jpg")});
    EXPECT_EQ(chips(place), (QStringList{u"A"_s, u"1/3"_s}));
    place.open(true);
    type(place, QStringLiteral("B"));
    QTest::keyClick(place.searchField(), Qt::Key_Return);
    settle();
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
        EXPECT_EQ(values(QString::fromLatin1(name), QStringLiteral("위치")), QStringList{u"B"_s});
    }
    EXPECT_FALSE(place.expanded());
}

TEST_F(PropertyOptionPickerTest, OnePickerIsOpenAndEscapeOrANewSelectionClosesIt) {
    PropertyOptionPicker& picker = tags();
    PropertyOptionPicker& people = InspectorTest::picker(QStringLiteral("사람"));
    type(picker, QStringLiteral("Ap"));
    people.open(true);
    EXPECT_FALSE(picker.expanded());
    EXPECT_TRUE(picker.searchField()->text().isEmpty());

    type(picker, QStringLiteral("Ap"));
    // Focus leaving the field otherwise than by Tab does not close.
    people.searchField()->clearFocus();
    window->setFocus();
    EXPECT_TRUE(picker.expanded());
    picker.searchField()->setFocus();
    QTest::keyClick(picker.searchField(), Qt::Key_Escape);
    EXPECT_FALSE(picker.expanded());
    EXPECT_TRUE(picker.searchField()->text().isEmpty());

    type(picker, QStringLiteral("Ap"));
    // An edit publishes the same selection again: the picker stays open.
    store->setRating(3);
    settle();
    EXPECT_TRUE(picker.expanded());
    selectFiles({QStringLiteral("b.jpg")});
    EXPECT_FALSE(tags().expanded());
    EXPECT_TRUE(tags().searchField()->text().isEmpty());
}

TEST_F(PropertyOptionPickerTest, TheListClosesWhenTabLeavesThePicker) {
    PropertyOptionPicker& picker = tags();
    type(picker, QStringLiteral("Ap"));
    // Through the picker's own controls, then out.
    for (int i = 0; i < 4 && picker.isAncestorOf(QApplication::focusWidget()); ++i) {
        EXPECT_TRUE(picker.expanded());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    ASSERT_FALSE(picker.isAncestorOf(QApplication::focusWidget()));
    EXPECT_FALSE(picker.expanded());
}

// A folder that declares some of the options puts an applied one after its own when its catalog
// is read again: the open list keeps its rows where they were.
TEST_F(PropertyOptionPickerTest, ApplyingAValueNeverMovesTheOpenListsRows) {
    selectFiles({QStringLiteral("a.jpg")});
    for (const char* option : {"Apple", "Banana", "C", "D"}) {
        store->addLabel(QString::fromUtf8(option), category(QStringLiteral("태그")));
    }
    selectFiles({QStringLiteral("sub/d.jpg")});
    store->addLabel(QStringLiteral("D"), category(QStringLiteral("태그")));
    openLibrary();
    selectFiles({QStringLiteral("sub/d.jpg")});
    PropertyOptionPicker& picker = tags();
    picker.open(true);
    const QStringList rows = picker.model().rowIDs();
    ASSERT_EQ(rows.at(2), QStringLiteral("option:C"));
    QTest::mouseClick(picker.list(), Qt::LeftButton, {}, picker.list()->rowRect(2).center());
    store->rescan(false);
    settle();
    ASSERT_EQ(store->editorOptions(category(QStringLiteral("태그"))).last(), QStringLiteral("C"));
    EXPECT_EQ(picker.model().rowIDs(), rows);
}

TEST_F(PropertyOptionPickerTest, TheListIsSizedByItsRows) {
    PropertyOptionPicker& picker = tags();
    picker.open(true);
    EXPECT_EQ(picker.listArea()->height(), 2 * 38 + 12);
    type(picker, QStringLiteral("Banana"));
    EXPECT_EQ(picker.listArea()->height(), 50);
    picker.searchField()->clear();
    PropertyOptionPicker& people = InspectorTest::picker(QStringLiteral("사람"));
    people.open(true);
    EXPECT_EQ(people.listArea()->height(), 48);
    EXPECT_FALSE(people.clearButton()->isVisible());
}

TEST_F(PropertyOptionPickerTest, AnOptionsHandleTellsThatDraggingReorders) {
    PropertyOptionPicker& picker = tags();
    picker.open(true);
    OptionList* list = picker.list();
    const QRect handle = OptionList::handleRect(list->rowRect(0));
    QHelpEvent help(QEvent::ToolTip, handle.center(), list->mapToGlobal(handle.center()));
    QApplication::sendEvent(list, &help);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("드래그해서 옵션 순서 변경"));
}

TEST_F(PropertyOptionPickerTest, ClearEmptiesThePropertyOfTheSelectedItems) {
    store->addLabel(QStringLiteral("Apple"), category(QStringLiteral("태그")));
    settle();
    PropertyOptionPicker& picker = tags();
    picker.open(true);
    settle();
    ASSERT_TRUE(picker.clearButton()->isVisible());
    picker.clearButton()->click();
    settle();
    EXPECT_FALSE(
        item(QStringLiteral("a.jpg")).labels.contains(category(QStringLiteral("태그")).idText()));
    EXPECT_TRUE(picker.expanded());
}

// A value wider than the picker used to run its chip, mark and all, past the picker's edge.
TEST(OptionChipsTest, AChipWiderThanItsRowKeepsItsMarkInReach) {
    OptionChips chips;
    chips.resize(200, 100);
    chips.setChips({{QString(120, u'W'), 1, 2}, {u"Short"_s, 2, 2}});
    QSignalSpy removed(&chips, &OptionChips::removeRequested);
    ASSERT_TRUE(chips.rect().contains(chips.markRect(0)));
    QTest::mouseClick(&chips, Qt::LeftButton, {}, chips.markRect(0).center());
    EXPECT_EQ(removed.size(), 1);
    // It still stands alone on its line.
    EXPECT_GT(chips.markRect(1).top(), chips.markRect(0).bottom());
}

// X11 sends the window a keyboard context menu before the menu key itself.
TEST_F(PropertyOptionPickerTest, TheMenuKeyOpensTheHighlightedRowsMenu) {
    PropertyOptionPicker& picker = tags();
    type(picker, QStringLiteral("an"));
    QTest::keyClick(picker.searchField(), Qt::Key_Down);
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, {}, {});
    QApplication::sendEvent(window->windowHandle(), &menuKey);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Menu);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    menu->actions().at(1)->trigger();
    menu->close();
    ASSERT_NE(picker.deleteAlert(), nullptr);
    EXPECT_TRUE(picker.deleteAlert()->informativeText().startsWith(QStringLiteral("‘Banana’")));
    picker.deleteAlert()->reject();
}

}  // namespace
}  // namespace lumivex::test

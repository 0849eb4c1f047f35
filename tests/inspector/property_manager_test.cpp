#include "browser/modal_overlay.h"
#include "browser/sheet_slot.h"
#include "browser/sidebar.h"
#include "inspector/category_sheet.h"
#include "inspector/inspector_fixture.h"
#include "inspector/property_manager_sheet.h"
#include "inspector/property_option_picker.h"
#include "store/lumivex_store.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QWindow>

namespace lumivex::test {
namespace {

class PropertyManagerTest : public InspectorTest {
protected:
    void SetUp() override {
        InspectorTest::SetUp();
        window->state().setPropertyManager(true);
        settle();
    }

    PropertyManagerSheet& manager() const { return *window->findChild<PropertyManagerSheet*>(); }
    QList<Category> properties() const { return store->editableProperties(); }
    CategorySheet* createSheet(const QString& name) {
        manager().addButton()->click();
        CategorySheet* sheet = manager().categorySheet();
        sheet->nameField()->setText(name);
        return sheet;
    }
};

TEST_F(PropertyManagerTest, TheRatingRowIsLockedAndArrowsStopAtTheEnds) {
    const QList<Category> list = properties();
    ASSERT_EQ(list.size(), 4);
    EXPECT_EQ(manager().rowButton(list[0].id, QStringLiteral("chevron.up")), nullptr);
    EXPECT_EQ(manager().subtitle()->text(), QStringLiteral("library 폴더의 속성"));
    EXPECT_FALSE(manager().rowButton(list[1].id, QStringLiteral("chevron.up"))->isEnabled());
    EXPECT_TRUE(manager().rowButton(list[1].id, QStringLiteral("chevron.down"))->isEnabled());
    EXPECT_TRUE(manager().rowButton(list[3].id, QStringLiteral("chevron.up"))->isEnabled());
    EXPECT_FALSE(manager().rowButton(list[3].id, QStringLiteral("chevron.down"))->isEnabled());
    manager().rowButton(list[2].id, QStringLiteral("chevron.up"))->click();
    settle();
    EXPECT_EQ(properties()[1].id, list[2].id);
    EXPECT_EQ(properties()[0].id, list[0].id);
    EXPECT_EQ(undoTitles().last(), QStringLiteral("속성 순서 변경"));
}

TEST_F(PropertyManagerTest, MovingByTheKeyboardKeepsTheFocusOnTheMovedRow) {
    const QList<Category> list = properties();
    manager().rowButton(list[1].id, QStringLiteral("chevron.down"))->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    settle();
    ASSERT_EQ(properties()[2].id, list[1].id);
    EXPECT_EQ(QApplication::focusWidget(),
              manager().rowButton(list[1].id, QStringLiteral("chevron.down")));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(),
              manager().rowButton(list[1].id, QStringLiteral("pencil")));
}

// In a list longer than the sheet, the row moved to the last place scrolls wholly into view.
TEST_F(PropertyManagerTest, ARowMovedByTheKeyboardToTheEndStaysInSight) {
    for (const char* name : {"A", "B", "C", "D", "E"}) {
        store->addCategory(QString::fromLatin1(name), PropertyKind::singleSelect);
    }
    settle();
    const QUuid moving = properties()[properties().size() - 2].id;
    manager().rowButton(moving, QStringLiteral("chevron.down"))->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    settle();
    QWidget* row = manager().row(moving);
    QWidget* viewport = row->parentWidget()->parentWidget();
    EXPECT_TRUE(viewport->rect().contains(QRect(row->mapTo(viewport, QPoint()), row->size())));
}

TEST_F(PropertyManagerTest, ThePhotoLibraryGoesByItsOwnName) {
    photos.addAsset(QStringLiteral("pictures/one.jpg"), true, PhotoMediaType::image, 100);
    store->connectPhotos();
    settleUntil([&] { return !store->connectingPhotos(); });
    settle();
    EXPECT_EQ(manager().subtitle()->text(), QStringLiteral("사진 보관함의 속성"));
}

TEST_F(PropertyManagerTest, DeletingAsksFirstAndCancellingCallsNothing) {
    const Category tags = properties()[3];
    manager().rowButton(tags.id, QStringLiteral("trash"))->click();
    QMessageBox* alert = manager().deleteAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->informativeText(),
              QStringLiteral("‘태그’ 속성과 이 폴더에 지정한 해당 값이 제거됩니다. 사진·영상 "
                             "원본은 그대로 유지됩니다."));
    buttonWithText(alert, QStringLiteral("취소"))->click();
    settle();
    EXPECT_EQ(properties().size(), 4);
    manager().rowButton(tags.id, QStringLiteral("trash"))->click();
    buttonWithText(manager().deleteAlert(), QStringLiteral("삭제"))->click();
    settle();
    EXPECT_EQ(properties().size(), 3);
    EXPECT_EQ(undoTitles().last(), QStringLiteral("속성 삭제"));
}

TEST_F(PropertyManagerTest, CreatingTrimsAndRefusesANameInAnotherCase) {
    CategorySheet* sheet = createSheet(QStringLiteral("   "));
    EXPECT_FALSE(sheet->confirmButton()->isEnabled());
    QTest::keyClick(sheet->nameField(), Qt::Key_Return);
    EXPECT_TRUE(sheet->isVisible());
    sheet->nameField()->setText(QStringLiteral("  New  "));
    sheet->kindPicker()->setCurrentIndex(1);
    EXPECT_EQ(sheet->kindExplanation()->text(),
              QStringLiteral("파일마다 여러 옵션을 함께 선택합니다."));
    QTest::keyClick(sheet->nameField(), Qt::Key_Return);
    settle();
    EXPECT_FALSE(manager().categorySheet());
    EXPECT_EQ(properties().last().name, QStringLiteral("New"));
    EXPECT_EQ(properties().last().kind, PropertyKind::multiSelect);
    EXPECT_EQ(undoTitles(), QStringList{QStringLiteral("속성 추가")});

    sheet = createSheet(QStringLiteral("new"));
    sheet->confirmButton()->click();
    EXPECT_EQ(store->error(), QStringLiteral("같은 이름의 속성 또는 별점 속성이 이미 있습니다."));
    EXPECT_TRUE(sheet->isVisible());
    sheet->reject();
    settle();
    EXPECT_EQ(undoTitles().size(), 1);
}

TEST_F(PropertyManagerTest, TheAlertOfARefusedNameTakesTheKeyboardFromTheSheet) {
    CategorySheet* sheet = createSheet(QStringLiteral("태그"));
    QApplication::setActiveWindow(sheet);
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet));
    QTest::keyClick(sheet->nameField(), Qt::Key_Return);
    settle();
    auto* alert = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->windowHandle()->transientParent(), sheet->windowHandle());
    EXPECT_EQ(QApplication::activeWindow(), alert);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    settle();
    EXPECT_FALSE(store->error());
    EXPECT_EQ(manager().categorySheet(), sheet);
}

// Return never chooses the destructive button, and 취소 stands first, as in every sheet.
TEST_F(PropertyManagerTest, ReturnInEitherDeleteAlertCancelsAndCancelStandsFirst) {
    const Category tags = properties()[3];
    const auto returnCancels = [this](QMessageBox* alert) {
        ASSERT_NE(alert, nullptr);
        const auto left = [alert](const QString& text) {
            return buttonWithText(alert, text)->mapTo(alert, QPoint()).x();
        };
        EXPECT_LT(left(QStringLiteral("취소")), left(QStringLiteral("삭제")));
        const QPointer<QMessageBox> shown(alert);
        QTest::keyClick(alert, Qt::Key_Return);
        settle();
        EXPECT_TRUE(!shown || !shown->isVisible());
    };
    manager().rowButton(tags.id, QStringLiteral("trash"))->click();
    returnCancels(manager().deleteAlert());
    EXPECT_EQ(properties().size(), 4);

    window->state().setPropertyManager(false);
    selectFiles({QStringLiteral("a.jpg")});
    store->addLabel(QStringLiteral("A"), tags);
    settle();
    picker(QStringLiteral("태그")).beginDelete(QStringLiteral("A"));
    returnCancels(picker(QStringLiteral("태그")).deleteAlert());
    EXPECT_EQ(store->propertyOptions(tags), QStringList{QStringLiteral("A")});
}

TEST_F(PropertyManagerTest, TabReachesTheSheetsCancelButtonAndReturnPressesIt) {
    CategorySheet* sheet = createSheet(QStringLiteral("Mood"));
    QApplication::setActiveWindow(sheet);
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet));
    sheet->nameField()->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(sheet->nameField(), Qt::Key_Tab);
    QTest::keyClick(sheet->kindPicker(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), sheet->cancelButton());
    QTest::keyClick(sheet->cancelButton(), Qt::Key_Return);
    settle();
    EXPECT_FALSE(manager().categorySheet());
    EXPECT_EQ(properties().size(), 4);
}

TEST_F(PropertyManagerTest, ARenameClosesOnItsOwnOutcomeNotOnAnEarlierError) {
    const Category people = properties()[1];
    manager().rowButton(people.id, QStringLiteral("pencil"))->click();
    CategorySheet* sheet = manager().categorySheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->nameField()->text(), QStringLiteral("사람"));
    EXPECT_EQ(sheet->kindPicker(), nullptr);
    sheet->nameField()->setText(QStringLiteral("태그"));
    sheet->save();
    EXPECT_EQ(store->error(), QStringLiteral("같은 이름의 분류가 이미 있습니다."));
    EXPECT_TRUE(sheet->isVisible());
    // The refusal's text is still published; this rename goes through and closes the sheet.
    sheet->nameField()->setText(QStringLiteral("Friends"));
    sheet->save();
    EXPECT_FALSE(sheet->isVisible());
    settle();
    EXPECT_EQ(properties()[1].name, QStringLiteral("Friends"));

    manager().rowButton(people.id, QStringLiteral("pencil"))->click();
    sheet = manager().categorySheet();
    sheet->nameField()->setText(QStringLiteral("  "));
    QTest::keyClick(sheet->nameField(), Qt::Key_Return);
    EXPECT_FALSE(sheet->isVisible());
    settle();
    EXPECT_EQ(undoTitles(), QStringList{QStringLiteral("속성 이름 변경")});
}

TEST_F(PropertyManagerTest, TheWindowWithholdsActionsAndTheBackdropOrEscapeCloses) {
    EXPECT_FALSE(window->mainContent()->isEnabled());
    EXPECT_FALSE(window->metadataEditingActions());
    ModalOverlay* overlay = window->propertyManagerOverlay();
    QTest::mouseClick(overlay, Qt::LeftButton, {}, manager().geometry().center());
    EXPECT_TRUE(window->state().propertyManager());
    QTest::mouseClick(overlay, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(window->state().propertyManager());
    settle();
    EXPECT_TRUE(window->mainContent()->isEnabled());
    EXPECT_TRUE(window->metadataEditingActions());

    window->state().setPropertyManager(true);
    settle();
    manager().doneButton()->animateClick();
    settleUntil([this] { return !window->state().propertyManager(); });
}

TEST_F(PropertyManagerTest, TheSidebarOpensThePropertySheetInTheWindow) {
    window->state().setPropertyManager(false);
    settle();
    window->state().openCategorySheet(std::nullopt);
    settle();
    auto* sheet = qobject_cast<CategorySheet*>(window->categorySheet()->dialog());
    ASSERT_NE(sheet, nullptr);
    EXPECT_FALSE(window->metadataEditingActions());
    const Qt::WindowFlags flags = sheet->windowFlags();
    sheet->nameField()->setText(QStringLiteral("Mood"));
    sheet->confirmButton()->click();
    settle();
    EXPECT_FALSE(window->state().categorySheet());
    EXPECT_EQ(properties().last().name, QStringLiteral("Mood"));
    // The manager opens it alike, unframed.
    window->state().setPropertyManager(true);
    settle();
    EXPECT_EQ(createSheet(QString())->windowFlags(), flags);
}

// Closed, the sheet leaves its rows as they were; opened, it shows the properties as they are.
TEST_F(PropertyManagerTest, AClosedSheetCatchesUpWhenItOpens) {
    const QList<Category> before = properties();
    window->state().setPropertyManager(false);
    settle();
    QWidget* kept = manager().row(before[3].id);
    ASSERT_TRUE(store->addCategory(QStringLiteral("분위기"), PropertyKind::multiSelect));
    settle();
    EXPECT_EQ(manager().row(before[3].id), kept);
    window->state().setPropertyManager(true);
    settle();
    const QList<Category> after = properties();
    ASSERT_EQ(after.size(), before.size() + 1);
    for (const Category& property : after) {
        ASSERT_NE(manager().row(property.id), nullptr) << property.name.toStdString();
        EXPECT_TRUE(manager().row(property.id)->isVisibleTo(&manager()));
    }
    EXPECT_TRUE(manager().rowButton(after.constLast().id, QStringLiteral("pencil")));
}

}  // namespace
}  // namespace lumivex::test

#include "inspector/inspector_fixture.h"
#include "inspector/option_list.h"
#include "inspector/property_option_picker.h"
#include "store/lumivex_store.h"

#include <QApplication>
#include <QDialog>
#include <QDragMoveEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

namespace lumivex::test {
namespace {

using namespace Qt::StringLiterals;

class OptionEditsTest : public InspectorTest {
protected:
    void SetUp() override {
        InspectorTest::SetUp();
        selectFiles({QStringLiteral("a.jpg")});
        for (const char* option : {"A", "B", "C"}) {
            store->addLabel(QString::fromLatin1(option), category(QStringLiteral("태그")));
        }
        settle();
        tags().open(true);
        settle();
    }

    PropertyOptionPicker& tags() const { return picker(QStringLiteral("태그")); }
    QStringList options() { return store->propertyOptions(category(QStringLiteral("태그"))); }
    QPoint rowCentre(const QString& option) {
        return tags().list()->rowRect(tags().model().matches().indexOf(option)).center();
    }
    // A drag of `mime` moving over the row of `option`.
    bool dragOver(const QString& option, QMimeData& mime) {
        QDragMoveEvent move(rowCentre(option), Qt::MoveAction, &mime, Qt::LeftButton,
                            Qt::NoModifier);
        QApplication::sendEvent(tags().list(), &move);
        settle();
        return move.isAccepted();
    }
    void rename(const QString& option, const QString& name) {
        tags().beginRename(option);
        QDialog* alert = tags().renameAlert();
        ASSERT_NE(alert, nullptr);
        alert->findChild<QLineEdit*>(QStringLiteral("renamedOption"))->setText(name);
        alert->accept();
        settle();
    }
};

// Passing over rows moves nothing: the drop moves the option once, as one undo step, and the
// end of the list takes a drop.
TEST_F(OptionEditsTest, ADragMovesOnceWhereItIsDroppedAndTheEndOfTheListTakesADrop) {
    OptionList* list = tags().list();
    const qsizetype steps = undoTitles().size();
    tags().model().startDrag(QStringLiteral("A"));
    QMimeData mime;
    mime.setData(OptionList::dragType, QByteArrayLiteral("A"));
    QDragEnterEvent enter(rowCentre(QStringLiteral("A")), Qt::MoveAction, &mime, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(list, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_TRUE(dragOver(QStringLiteral("B"), mime));
    dragOver(QStringLiteral("C"), mime);
    EXPECT_EQ(options(), (QStringList{u"A"_s, u"B"_s, u"C"_s}));
    const QPoint end = list->rowRect(2).bottomLeft() + QPoint(10, 2);
    QDropEvent drop(QPointF(end), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list, &drop);
    settle();
    EXPECT_EQ(options(), (QStringList{u"B"_s, u"C"_s, u"A"_s}));
    EXPECT_EQ(undoTitles().mid(steps), QStringList{u"옵션 순서 변경"_s});
    EXPECT_FALSE(tags().model().dragged());
}

// A move for a one-folder selection is written to that folder alone; the list showed the
// library's order, so the move seemed lost and the next drag worked from the wrong order.
TEST_F(OptionEditsTest, AOneFolderSelectionsListShowsTheOrderItsMovesWrote) {
    selectFiles({QStringLiteral("sub/d.jpg")});
    for (const char* option : {"A", "B", "C"}) {
        store->addLabel(QString::fromLatin1(option), category(QStringLiteral("태그")));
    }
    store->moveOption(QStringLiteral("C"), QStringLiteral("A"), category(QStringLiteral("태그")));
    settle();
    EXPECT_EQ(tags().model().options(), (QStringList{u"C"_s, u"A"_s, u"B"_s}));
    tags().open(true);
    tags().model().startDrag(QStringLiteral("B"));
    QMimeData mime;
    mime.setData(OptionList::dragType, QByteArrayLiteral("B"));
    const QPoint beforeA = tags().list()->rowRect(1).topLeft();
    QDragEnterEvent enter(beforeA, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tags().list(), &enter);
    QDropEvent drop(QPointF(beforeA), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tags().list(), &drop);
    settle();
    EXPECT_EQ(tags().model().options(), (QStringList{u"C"_s, u"B"_s, u"A"_s}));
}

TEST_F(OptionEditsTest, PlainTextDraggedInNeverReorders) {
    // A drag of the list's own that ended elsewhere leaves nothing dragged.
    PropertyOptionPickerModel& model = tags().model();
    model.startDrag(QStringLiteral("C"));
    model.endDrag();
    QMimeData text;
    text.setText(QStringLiteral("C"));
    QDragEnterEvent enter(rowCentre(QStringLiteral("A")), Qt::CopyAction | Qt::MoveAction, &text,
                          Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tags().list(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    EXPECT_FALSE(dragOver(QStringLiteral("A"), text));
    EXPECT_EQ(options(), (QStringList{u"A"_s, u"B"_s, u"C"_s}));
}

TEST_F(OptionEditsTest, RenamingRefusesAClashInAnotherCaseAndAllowsACaseChange) {
    tags().searchField()->setText(QStringLiteral("B"));
    rename(QStringLiteral("B"), QStringLiteral("a"));
    EXPECT_EQ(store->error(), QStringLiteral("같은 이름의 옵션이 이미 있습니다."));
    EXPECT_TRUE(options().contains(QStringLiteral("B")));
    // The alert closed; the picker kept its text and stayed open.
    EXPECT_FALSE(tags().renameAlert());
    EXPECT_TRUE(tags().expanded());
    EXPECT_EQ(tags().searchField()->text(), QStringLiteral("B"));
    rename(QStringLiteral("B"), QStringLiteral("b"));
    EXPECT_EQ(options(), (QStringList{u"A"_s, u"b"_s, u"C"_s}));
    const QStringList before = options();
    rename(QStringLiteral("A"), QStringLiteral("   "));
    EXPECT_EQ(options(), before);
}

TEST_F(OptionEditsTest, AFilterFollowsARenamedOptionAndDropsADeletedOne) {
    const QString key = category(QStringLiteral("태그")).idText();
    MediaQuery query = store->query();
    query.facets[key] = QStringLiteral("B");
    store->setQuery(query);
    settle();
    rename(QStringLiteral("B"), QStringLiteral("D"));
    EXPECT_EQ(store->query().facets.at(key), QStringLiteral("D"));
    tags().beginDelete(QStringLiteral("D"));
    QMessageBox* alert = tags().deleteAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_TRUE(alert->informativeText().startsWith(QStringLiteral("‘D’ 옵션과")));
    for (QAbstractButton* button : alert->buttons()) {
        if (button->text() == QStringLiteral("삭제")) {
            button->click();
        }
    }
    settle();
    EXPECT_FALSE(store->query().facets.contains(key));
    EXPECT_FALSE(options().contains(QStringLiteral("D")));
    EXPECT_EQ(undoTitles().last(), QStringLiteral("옵션 삭제"));
}

TEST_F(OptionEditsTest, CancellingEitherAlertChangesNothing) {
    const qsizetype steps = undoTitles().size();
    tags().beginRename(QStringLiteral("A"));
    tags().renameAlert()->reject();
    tags().beginDelete(QStringLiteral("A"));
    for (QAbstractButton* button : tags().deleteAlert()->buttons()) {
        if (button->text() == QStringLiteral("취소")) {
            button->click();
        }
    }
    settle();
    EXPECT_EQ(undoTitles().size(), steps);
    EXPECT_EQ(options(), (QStringList{u"A"_s, u"B"_s, u"C"_s}));
}

}  // namespace
}  // namespace lumivex::test

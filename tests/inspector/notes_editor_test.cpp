#include "inspector/notes_editor.h"
#include "inspector/inspector_fixture.h"
#include "store/lumivex_store.h"

#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace lumivex::test {
namespace {

class NotesEditorTest : public InspectorTest {
protected:
    void SetUp() override {
        InspectorTest::SetUp();
        store->setNotes(QStringLiteral("x"), item(QStringLiteral("a.jpg")).id);
        selectFiles({QStringLiteral("a.jpg")});
    }

    NotesEditor& notes() const { return *inspector().notesEditor(); }
    void type(const QString& text) {
        notes().field()->moveCursor(QTextCursor::End);
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0) {
                QTest::keyClick(notes().field(), Qt::Key_Return);
            }
            QTest::keyClicks(notes().field(), lines[i]);
        }
    }
};

TEST_F(NotesEditorTest, AnEditShowsSaveAndIsStoredOnceWhenAnotherItemIsSelected) {
    EXPECT_FALSE(notes().saveButton()->isVisible());
    type(QStringLiteral("y"));
    EXPECT_TRUE(notes().saveButton()->isVisible());
    QTest::keyClick(notes().field(), Qt::Key_Backspace);
    EXPECT_FALSE(notes().saveButton()->isVisible());
    type(QStringLiteral("y"));
    selectFiles({QStringLiteral("b.jpg")});
    settle();
    EXPECT_EQ(item(QStringLiteral("a.jpg")).notes, QStringLiteral("xy"));
    EXPECT_EQ(undoTitles(),
              (QStringList{QStringLiteral("메모 변경"), QStringLiteral("메모 변경")}));
}

TEST_F(NotesEditorTest, SavingTwiceRecordsOneStep) {
    type(QStringLiteral("y"));
    notes().saveButton()->click();
    settle();
    EXPECT_FALSE(notes().saveButton()->isVisible());
    QTest::keyClick(notes().field(), Qt::Key_Return, Qt::ControlModifier);
    settle();
    EXPECT_EQ(item(QStringLiteral("a.jpg")).notes, QStringLiteral("xy"));
    EXPECT_EQ(undoTitles().size(), 2);
}

TEST_F(NotesEditorTest, AnUndoneTextIsNeverSavedAgainAndRedoSurvives) {
    type(QStringLiteral("y"));
    notes().saveButton()->click();
    settle();
    store->undoMetadata();
    settle();
    // The untouched draft follows the undo instead of holding the undone text.
    EXPECT_EQ(notes().draft(), QStringLiteral("x"));
    EXPECT_FALSE(notes().saveButton()->isVisible());
    selectFiles({QStringLiteral("b.jpg")});
    settle();
    EXPECT_EQ(item(QStringLiteral("a.jpg")).notes, QStringLiteral("x"));
    ASSERT_EQ(store->metadataHistory().redo().size(), 1);
    store->redoMetadata();
    EXPECT_EQ(item(QStringLiteral("a.jpg")).notes, QStringLiteral("xy"));
}

TEST_F(NotesEditorTest, ADraftTheUserChangedSurvivesAnUndoAndIsStoredForItsOwnItem) {
    store->setNotes(QStringLiteral("z"), item(QStringLiteral("a.jpg")).id);
    settle();
    EXPECT_EQ(notes().draft(), QStringLiteral("z"));
    type(QStringLiteral("!"));
    store->undoMetadata();
    settle();
    EXPECT_EQ(notes().draft(), QStringLiteral("z!"));
    EXPECT_TRUE(notes().saveButton()->isVisible());
    selectFiles({QStringLiteral("a.jpg"), QStringLiteral("b.jpg")});
    settle();
    EXPECT_EQ(item(QStringLiteral("a.jpg")).notes, QStringLiteral("z!"));
    EXPECT_EQ(item(QStringLiteral("b.jpg")).notes, QString());
}

TEST_F(NotesEditorTest, ASelectionChangedInsideAStoreSignalStoresTheDraftAfterTheSignal) {
    type(QStringLiteral("y"));
    NotesEditor* editor = inspector().notesEditor();
    bool once = false;
    // A rating saved while another observer of the store changes the selection in its handler.
    QObject::connect(store.get(), &LumivexStore::libraryChanged, window.get(), [&] {
        if (!once) {
            once = true;
            store->setSelection(ids({QStringLiteral("b.jpg")}));
            EXPECT_EQ(item(QStringLiteral("a.jpg")).notes, QStringLiteral("x"));
        }
    });
    store->setRating(5);
    settle();
    EXPECT_EQ(item(QStringLiteral("a.jpg")).notes, QStringLiteral("xy"));
    EXPECT_EQ(item(QStringLiteral("a.jpg")).rating, 5);
    EXPECT_NE(inspector().notesEditor(), editor);
}

TEST_F(NotesEditorTest, ADraftIsStoredIntoItsOwnLibraryBeforeAnotherOpens) {
    type(QStringLiteral("y"));
    const QTemporaryDir other;
    store->openLibrary(other.path(), false, false);
    settle();
    openLibrary();
    EXPECT_EQ(item(QStringLiteral("a.jpg")).notes, QStringLiteral("xy"));
}

TEST_F(NotesEditorTest, AWindowClosedWithAChangedDraftCallsNoStoreFromItsDestructor) {
    type(QStringLiteral("y"));
    window.reset();
    EXPECT_EQ(item(QStringLiteral("a.jpg")).notes, QStringLiteral("x"));
}

TEST_F(NotesEditorTest, TheFieldIsThreeToSixLinesHigh) {
    const int three = notes().field()->height();
    type(QStringLiteral("\n2\n3\n4\n5\n6"));
    const int six = notes().field()->height();
    type(QStringLiteral("\n7\n8"));
    EXPECT_GT(six, three);
    EXPECT_EQ(notes().field()->height(), six);
}

}  // namespace
}  // namespace lumivex::test

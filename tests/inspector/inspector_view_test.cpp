#include "inspector/active_property.h"
#include "inspector/inspector_fixture.h"
#include "inspector/label_editor.h"
#include "inspector/notes_editor.h"
#include "inspector/property_option_picker.h"
#include "inspector/rating_editor.h"
#include "inspector/selection_storage_location_view.h"
#include "store/lumivex_store.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTest>
#include <QToolButton>

#include <algorithm>

namespace lumivex::test {
namespace {

using InspectorViewTest = InspectorTest;

TEST_F(InspectorViewTest, NothingSelectedShowsTheEmptyStateWithoutCountOrFooter) {
    EXPECT_TRUE(inspector().emptyState()->isVisible());
    EXPECT_FALSE(inspector().countLabel()->isVisible());
    EXPECT_FALSE(inspector().footer()->isVisible());
    EXPECT_FALSE(inspector().content()->isVisible());
}

TEST_F(InspectorViewTest, OneItemShowsItsFactsNotesWhenItHasThemAndTheRevealButton) {
    selectFiles({QStringLiteral("a.jpg")});
    InspectorView& view = inspector();
    EXPECT_EQ(view.countLabel()->text(), QStringLiteral("1개 선택"));
    EXPECT_TRUE(view.thumbnail()->isVisible());
    EXPECT_EQ(view.nameLabel()->text(), QStringLiteral("a.jpg"));
    EXPECT_TRUE(view.kindLabel()->text().startsWith(QStringLiteral("사진 · ")));
    EXPECT_FALSE(view.banner()->isVisible());
    EXPECT_EQ(view.notesEditor(), nullptr);
    EXPECT_EQ(view.revealButton()->text(), QStringLiteral("파일 관리자에서 보기"));
    EXPECT_TRUE(view.revealButton()->isVisible());
    EXPECT_TRUE(view.footer()->isVisible());
    view.revealButton()->click();
    EXPECT_EQ(shell.revealed, QStringList{at(QStringLiteral("a.jpg"))});

    store->setNotes(QStringLiteral("x"), item(QStringLiteral("a.jpg")).id);
    settle();
    ASSERT_NE(view.notesEditor(), nullptr);
    EXPECT_EQ(view.notesEditor()->draft(), QStringLiteral("x"));
    // Emptied by a saved edit, the section goes and stores nothing more.
    store->setNotes(QString(), item(QStringLiteral("a.jpg")).id);
    settle();
    EXPECT_EQ(view.notesEditor(), nullptr);
    settle();
    EXPECT_EQ(undoTitles(),
              (QStringList{QStringLiteral("메모 변경"), QStringLiteral("메모 변경")}));
}

TEST_F(InspectorViewTest, SeveralItemsShowTheBannerAndEveryEditorButNoNotesOrReveal) {
    store->setNotes(QStringLiteral("x"), item(QStringLiteral("a.jpg")).id);
    selectFiles({QStringLiteral("a.jpg"), QStringLiteral("b.jpg")});
    InspectorView& view = inspector();
    EXPECT_EQ(view.countLabel()->text(), QStringLiteral("2개 선택"));
    EXPECT_TRUE(view.banner()->isVisible());
    EXPECT_FALSE(view.thumbnail()->isVisible());
    EXPECT_EQ(view.notesEditor(), nullptr);
    EXPECT_FALSE(view.revealButton()->isVisible());
    EXPECT_TRUE(view.location()->isVisible());
    ASSERT_EQ(view.sections().size(), 4);
    EXPECT_EQ(view.sections().first(), view.ratingEditor());
}

TEST_F(InspectorViewTest, ASelectionTheQueryHidesIsNeitherCountedNorShown) {
    selectFiles({QStringLiteral("a.jpg"), QStringLiteral("b.jpg")});
    search(QStringLiteral("b.jpg"));
    EXPECT_EQ(inspector().countLabel()->text(), QStringLiteral("1개 선택"));
    search(QStringLiteral("zzz"));
    EXPECT_TRUE(inspector().emptyState()->isVisible());
}

TEST_F(InspectorViewTest, ThePropertyButtonOpensTheManager) {
    inspector().propertiesButton()->click();
    EXPECT_TRUE(window->state().propertyManager());
}

TEST_F(InspectorViewTest, TheLocationNamesOneFolderOrCountsSeveral) {
    selectFiles({QStringLiteral("a.jpg")});
    SelectionStorageLocationView* location = inspector().location();
    EXPECT_EQ(location->title(), QStringLiteral("library"));
    location->click();
    EXPECT_EQ(shell.opened, QStringList{library});
    selectFiles({QStringLiteral("a.jpg"), QStringLiteral("sub/d.jpg")});
    EXPECT_EQ(location->title(), QStringLiteral("2개 폴더에 저장"));
    EXPECT_EQ(location->icons().leading, QStringLiteral("folder.badge.plus"));
    location->click();
    ASSERT_TRUE(location->popover());
    EXPECT_TRUE(location->popover()->isVisible());
    QStringList rows;
    for (QLabel* label : location->popover()->findChildren<QLabel*>()) {
        rows.append(label->text());
    }
    EXPECT_TRUE(rows.contains(QStringLiteral("2개 폴더에 나누어 저장")));
    EXPECT_TRUE(rows.contains(QStringLiteral("library › sub")));
    selectFiles({QStringLiteral("b.jpg"), QStringLiteral("sub/d.jpg")});
    settleUntil([location] { return !location->popover(); });
}

TEST_F(InspectorViewTest, HidingTheInspectorForgetsTheOpenPicker) {
    selectFiles({QStringLiteral("a.jpg")});
    picker(QStringLiteral("태그")).open(false);
    EXPECT_TRUE(picker(QStringLiteral("태그")).expanded());
    window->state().setShowInspector(false);
    settle();
    EXPECT_FALSE(inspector().activeProperty().value());
    window->state().setShowInspector(true);
    settle();
    EXPECT_FALSE(picker(QStringLiteral("태그")).expanded());
}

TEST_F(InspectorViewTest, SectionsKeepTheirStateWhileTheirPropertyStaysInScope) {
    selectFiles({QStringLiteral("a.jpg")});
    LabelEditor* before = inspector().labelEditor(category(QStringLiteral("태그")).id);
    PropertyOptionPicker& tags = picker(QStringLiteral("태그"));
    tags.open(true);
    QTest::keyClicks(tags.searchField(), QStringLiteral("Sea"));
    // Another edit rebuilds the inspector: the same section, still open with its text.
    store->setRating(4);
    settle();
    EXPECT_EQ(inspector().labelEditor(category(QStringLiteral("태그")).id), before);
    EXPECT_TRUE(tags.expanded());
    EXPECT_EQ(tags.searchField()->text(), QStringLiteral("Sea"));
}

// Values that add rows of chips to an open picker: the column its refresh lays out is the one the
// event loop settles on, so that the window paints it once and not each step on the way.
TEST_F(InspectorViewTest, ARefreshLeavesTheColumnAsTheEventLoopSettlesIt) {
    selectFiles({QStringLiteral("a.jpg"), QStringLiteral("b.jpg")});
    picker(QStringLiteral("태그")).open(false);
    settle();
    const auto geometries = [this] {
        QWidget* content = inspector().content()->widget();
        QList<QRect> shown{content->geometry()};
        for (QWidget* widget : content->findChildren<QWidget*>()) {
            if (widget->isVisible()) {
                shown.append(widget->geometry());
            }
        }
        return shown;
    };
    const QList<QRect> before = geometries();
    for (int i = 0; i < 8; ++i) {
        store->addLabel(QStringLiteral("a value long enough for a row %1").arg(i),
                        category(QStringLiteral("태그")));
    }
    inspector().refreshIfStale();
    const QList<QRect> refreshed = geometries();
    settle();
    EXPECT_NE(refreshed, before);
    EXPECT_EQ(geometries(), refreshed);
}

TEST_F(InspectorViewTest, TheRatingEditorFollowsTheCommonRating) {
    selectFiles({QStringLiteral("a.jpg"), QStringLiteral("b.jpg"), QStringLiteral("c.jpg")});
    RatingEditor* rating = inspector().ratingEditor();
    ASSERT_NE(rating, nullptr);
    EXPECT_EQ(rating->statusLabel()->text(), QStringLiteral("비어 있음"));
    EXPECT_FALSE(rating->clearButton()->isVisible());
    EXPECT_EQ(rating->star(2)->toolTip(), QStringLiteral("2점"));

    rating->star(3)->click();
    settle();
    EXPECT_EQ(rating->statusLabel()->text(), QStringLiteral("3 / 5"));
    EXPECT_EQ(rating->star(3)->property("symbol"), QStringLiteral("star.fill"));
    EXPECT_EQ(rating->star(4)->property("symbol"), QStringLiteral("star"));
    EXPECT_TRUE(rating->clearButton()->isVisible());
    rating->star(3)->click();
    settle();
    EXPECT_EQ(item(QStringLiteral("c.jpg")).rating, 0);

    store->setRating(2, item(QStringLiteral("a.jpg")).id);
    store->setRating(4, item(QStringLiteral("b.jpg")).id);
    selectFiles({QStringLiteral("a.jpg"), QStringLiteral("b.jpg")});
    EXPECT_EQ(rating->statusLabel()->text(), QStringLiteral("파일마다 별점이 다릅니다"));
    EXPECT_TRUE(rating->clearButton()->isVisible());
    EXPECT_EQ(rating->star(1)->property("symbol"), QStringLiteral("star"));
    rating->star(2)->click();
    settle();
    EXPECT_EQ(item(QStringLiteral("a.jpg")).rating, 2);
    EXPECT_EQ(item(QStringLiteral("b.jpg")).rating, 2);
    EXPECT_EQ(undoTitles().last(), QStringLiteral("별점 변경"));
    rating->clearButton()->click();
    settle();
    EXPECT_EQ(item(QStringLiteral("b.jpg")).rating, 0);
}

// Tab walks the column top to bottom through every control; Shift+Tab walks back, and Space acts
// on the control the keyboard stands on.
TEST_F(InspectorViewTest, TabReachesEveryControlInTheOrderShownAndSpaceActs) {
    store->setNotes(QStringLiteral("x"), item(QStringLiteral("a.jpg")).id);
    selectFiles({QStringLiteral("a.jpg")});
    InspectorView& view = inspector();
    QApplication::setActiveWindow(window.get());
    view.propertiesButton()->setFocus(Qt::TabFocusReason);
    QList<const QWidget*> stops{view.propertiesButton()};
    while (stops.size() < 40) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        settle();
        if (!view.isAncestorOf(QApplication::focusWidget())) {
            break;
        }
        stops.append(QApplication::focusWidget());
    }
    const QList<QToolButton*> stars = view.ratingEditor()->findChildren<QToolButton*>();
    ASSERT_EQ(stars.size(), 6);  // and "지우기"
    QList<const QWidget*> shown{view.location(), stars.at(0), stars.at(4)};
    for (QWidget* section : view.sections()) {
        if (auto* editor = qobject_cast<LabelEditor*>(section)) {
            shown.append(editor->picker()->searchField());
        }
    }
    shown.append({view.notesEditor()->field(), view.revealButton()});
    qsizetype previous = -1;
    for (const QWidget* control : shown) {
        const auto at = std::find_if(stops.begin(), stops.end(), [control](const QWidget* stop) {
            return stop == control || control->isAncestorOf(stop);
        });
        ASSERT_NE(at, stops.end()) << control->metaObject()->className();
        EXPECT_GT(at - stops.begin(), previous) << control->metaObject()->className();
        previous = at - stops.begin();
    }

    picker(QStringLiteral("태그")).close();
    stars.at(2)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(stars.at(2), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), stars.at(1));
    QTest::keyClick(stars.at(1), Qt::Key_Space);
    settle();
    EXPECT_EQ(item(QStringLiteral("a.jpg")).rating, 2);
}

}  // namespace
}  // namespace lumivex::test

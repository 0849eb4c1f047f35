#include "browser/filter_bar.h"
#include "browser/browser_area.h"
#include "browser/filter_bar_choices.h"
#include "browser/filter_picker_button.h"
#include "browser/folder_menu_controller.h"
#include "browser/folder_menu_row.h"
#include "browser/shown_library.h"
#include "browser/window_fixture.h"

#include <QApplication>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

namespace lumivex::test {
namespace {

class FilterBarTest : public WindowTest {
protected:
    void SetUp() override {
        addPhoto(QStringLiteral("a.jpg"));
        addPhoto(QStringLiteral("trip/b.jpg"));
        addVideo(QStringLiteral("trip/c.mp4"));
        openLibrary();
        bar = window->browserArea()->filterBar();
    }

    // Chooses the row titled `title` in the picker's open menu.
    void choose(FilterMenuButton* picker, const QString& title) {
        QTest::mouseClick(picker, Qt::LeftButton);
        ASSERT_TRUE(picker->controller().isOpen());
        for (FolderMenuRow* row : picker->controller().rows(0)) {
            if (row->text() == title) {
                QTest::mouseClick(row, Qt::LeftButton);
                settle();
                return;
            }
        }
        FAIL() << "no row " << title.toStdString();
    }

    FilterBar* bar = nullptr;
};

TEST_F(FilterBarTest, WithoutFiltersOnlyThePickersShow) {
    EXPECT_EQ(bar->kindPicker()->text(), QStringLiteral("형식"));
    EXPECT_EQ(bar->folderPicker()->text(), QStringLiteral("폴더 필터"));
    EXPECT_FALSE(bar->folderPicker()->active());
    EXPECT_EQ(bar->ratingPicker()->text(), QStringLiteral("별점 필터"));
    EXPECT_TRUE(bar->chipTitles().isEmpty());
    EXPECT_FALSE(bar->resetButton()->isVisible());
}

TEST_F(FilterBarTest, RatingChoicesGiveTitlesAndTheUnratedChip) {
    choose(bar->ratingPicker(), QStringLiteral("별점 없음"));
    EXPECT_TRUE(store->query().unratedOnly);
    EXPECT_EQ(store->query().minimumRating, 0);
    EXPECT_EQ(bar->ratingPicker()->text(), QStringLiteral("별점 없음"));
    EXPECT_TRUE(bar->ratingPicker()->active());
    EXPECT_EQ(bar->chipTitles(), QStringList{QStringLiteral("별점 없음")});
    EXPECT_TRUE(bar->resetButton()->isVisible());

    choose(bar->ratingPicker(), QStringLiteral("3점 이상"));
    EXPECT_FALSE(store->query().unratedOnly);
    EXPECT_EQ(store->query().minimumRating, 3);
    EXPECT_EQ(bar->ratingPicker()->text(), QStringLiteral("3점 이상"));
    EXPECT_TRUE(bar->chipTitles().isEmpty());
}

TEST_F(FilterBarTest, ACustomLengthRangeNamesItselfAndReopensTheSheetOnly) {
    store->selectVideoDuration(VideoDurationRange{60, 180, true});
    settle();
    EXPECT_EQ(bar->kindPicker()->text(), QStringLiteral("영상 · 1분~3분"));
    EXPECT_EQ(FilterBarChoices::kindSelection(store->query()), QStringLiteral("duration:custom"));
    EXPECT_EQ(FilterBarChoices::kindOptions(store->query()).constLast().title,
              QStringLiteral("직접 지정: 1분~3분"));
    const MediaQuery before = store->query();
    choose(bar->kindPicker(), QStringLiteral("직접 지정: 1분~3분"));
    EXPECT_TRUE(window->state().durationSheet());
    EXPECT_EQ(store->query(), before);
    window->state().setDurationSheet(false);

    store->selectVideoDuration(VideoDurationRange{60, 180, false});
    settle();
    EXPECT_EQ(bar->kindPicker()->text(), QStringLiteral("영상 · 1~3분"));
    choose(bar->kindPicker(), QStringLiteral("영상"));
    EXPECT_EQ(store->query().kind, MediaKind::video);
    EXPECT_FALSE(store->query().videoDuration);
}

TEST_F(FilterBarTest, FolderChipsAndResetKeepTheSearchAndTheSort) {
    store->selectFolderFilter(QString());
    settle();
    EXPECT_EQ(bar->folderPicker()->text(), QStringLiteral("선택한 폴더만"));
    EXPECT_EQ(bar->folderPicker()->toolTip(), QStringLiteral("선택한 폴더의 항목만 표시"));
    EXPECT_EQ(bar->chipTitles(), QStringList{QStringLiteral("선택한 폴더만")});
    screenshot(QStringLiteral("filter-bar-chips"));
    QTest::mouseClick(bar->chip(QStringLiteral("선택한 폴더만")), Qt::LeftButton);
    settle();
    EXPECT_FALSE(store->query().folderPath);

    MediaQuery query = store->query();
    query.search = QStringLiteral("b");
    query.sort = SortOrder::name;
    query.ascending = true;
    query.kind = MediaKind::photo;
    query.unclassifiedOnly = true;
    query.folderPath = QStringLiteral("trip");
    store->setQuery(query);
    settle();
    EXPECT_EQ(bar->chipTitles(),
              (QStringList{QStringLiteral("분류 없음"), QStringLiteral("trip")}));
    EXPECT_EQ(bar->folderPicker()->text(), QStringLiteral("trip"));
    QTest::mouseClick(bar->resetButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(store->query().search, QStringLiteral("b"));
    EXPECT_EQ(store->query().sort, SortOrder::name);
    EXPECT_TRUE(store->query().ascending);
    EXPECT_FALSE(store->query().kind);
    EXPECT_FALSE(store->query().folderPath);
    EXPECT_FALSE(store->query().unclassifiedOnly);
    EXPECT_FALSE(bar->resetButton()->isVisible());
}

TEST_F(FilterBarTest, PropertyPickersFilterByValueOrEmptiness) {
    const Category people = store->library().tagProperties().constFirst();
    store->setSelection({item(QStringLiteral("a.jpg")).id});
    store->addLabel(QStringLiteral("민지"), people);
    settle();
    FlatFilterPicker* picker = bar->propertyPicker(people.id);
    ASSERT_NE(picker, nullptr);
    choose(picker, QStringLiteral("민지 (1)"));
    EXPECT_EQ(store->query().facets.at(people.idText()), QStringLiteral("민지"));
    EXPECT_EQ(bar->chipTitles(), QStringList{people.name + QStringLiteral(": 민지")});
    choose(bar->propertyPicker(people.id), QStringLiteral("비어 있음"));
    EXPECT_TRUE(store->query().facets.empty());
    EXPECT_TRUE(store->query().emptyFacets.contains(people.idText()));
    EXPECT_EQ(bar->chipTitles(), QStringList{people.name + QStringLiteral(": 비어 있음")});
    choose(bar->propertyPicker(people.id), QStringLiteral("모든 ") + people.name);
    EXPECT_TRUE(store->query().emptyFacets.isEmpty());
}

// With many filters the row is wider than the window: every button keeps its width, and the
// vertical wheel and a sideways swipe scroll the row until the reset button is on screen whole.
TEST_F(FilterBarTest, TheWheelScrollsAWideRowToItsResetButton) {
    const QList<Category> properties = store->library().tagProperties();
    ASSERT_GE(properties.size(), 2);
    store->setSelection({item(QStringLiteral("trip/b.jpg")).id});
    store->addLabel(QStringLiteral("제주도 한라산 등반 여행"), properties[0]);
    settle();
    store->selectFolderFilter(QStringLiteral("trip"));
    MediaQuery query = store->query();
    query.unratedOnly = true;
    query.unclassifiedOnly = true;
    query.facets[properties[0].idText()] = QStringLiteral("제주도 한라산 등반 여행");
    query.emptyFacets.insert(properties[1].idText());
    store->setQuery(query);
    store->selectVideoDuration(VideoDurationRange{60, 180, false});
    settle();
    QPushButton* reset = bar->resetButton();
    ASSERT_TRUE(reset->isVisibleTo(bar));
    EXPECT_EQ(reset->width(), reset->sizeHint().width());
    for (QPushButton* chip : bar->findChildren<QPushButton*>()) {
        if (chip->isVisibleTo(bar)) {
            EXPECT_GE(chip->width(), chip->sizeHint().width()) << chip->text().toStdString();
        }
    }
    QWidget* viewport = bar->scrollArea()->viewport();
    const auto onScreen = [&] {
        const QRect where(reset->mapTo(viewport, QPoint(0, 0)), reset->size());
        return viewport->rect().contains(where);
    };
    ASSERT_FALSE(onScreen()) << "the row must be wider than the bar for this test";
    screenshot(QStringLiteral("filter-bar-many-filters"));

    const QPoint at = viewport->rect().center();
    const auto turn = [&](QPoint angle) {
        QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), angle, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &wheel);
    };
    for (int notch = 0; notch < 40 && !onScreen(); ++notch) {
        turn(QPoint(0, -120));
    }
    EXPECT_TRUE(onScreen());
    screenshot(QStringLiteral("filter-bar-scrolled"));
    // A sideways swipe moves the row as well, back towards its start.
    QScrollBar* scrollBar = bar->scrollArea()->horizontalScrollBar();
    const int end = scrollBar->value();
    turn(QPoint(120, 0));
    EXPECT_LT(scrollBar->value(), end);
    turn(QPoint(-120, 0));
    EXPECT_EQ(scrollBar->value(), end);

    QTest::mouseClick(reset, Qt::LeftButton);
    settle();
    EXPECT_FALSE(store->query().unratedOnly);
    EXPECT_TRUE(store->query().facets.empty());
}

// Each property picker's menu rows as text: title, value and symbol.
QStringList propertyMenus(const FilterBar& bar, const QList<Category>& properties) {
    QStringList rows;
    for (const Category& property : properties) {
        FlatFilterPicker* picker = bar.propertyPicker(property.id);
        rows.append(picker ? picker->text() : QStringLiteral("(none)"));
        if (picker) {
            for (const FolderMenuController::Entry& entry : picker->controller().rootEntries()) {
                rows.append(entry.title + u'|' + entry.path.value_or(QStringLiteral("-")) + u'|' +
                            entry.symbol);
            }
        }
    }
    return rows;
}

// Menus kept from one redraw to the next give what a filter bar made afresh gives, whichever
// property's values, name or options changed.
TEST_F(FilterBarTest, KeptPropertyMenusMatchAFreshFilterBar) {
    const auto property = [this](qsizetype index) {
        return store->library().tagProperties()[index];
    };
    const auto expectFresh = [&](const char* step) {
        settle();
        FilterBar fresh(*store, window->state());
        fresh.refreshIfStale();
        const QList<Category> properties = ShownLibrary::tagProperties(*store);
        EXPECT_EQ(propertyMenus(*bar, properties), propertyMenus(fresh, properties)) << step;
    };
    selectFiles({QStringLiteral("a.jpg")});
    store->addLabel(QStringLiteral("바다"), property(2));
    expectFresh("first value");
    selectFiles({QStringLiteral("trip/b.jpg")});
    store->addLabel(QStringLiteral("바다"), property(2));
    expectFresh("a count");
    store->addLabel(QStringLiteral("민지"), property(0));
    expectFresh("another property");
    store->renameOption(QStringLiteral("바다"), QStringLiteral("강"), property(2));
    expectFresh("a renamed value");
    const Category places = property(1);
    store->renameCategory(places, QStringLiteral("장소"));
    expectFresh("a renamed property without values");
    EXPECT_EQ(bar->propertyPicker(places.id)->text(), QStringLiteral("장소"));
    store->renameCategory(property(2), QStringLiteral("주제"));
    expectFresh("a renamed property");
}

}  // namespace
}  // namespace lumivex::test

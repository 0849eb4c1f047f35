#include "browser/sidebar.h"
#include "browser/browser_area.h"
#include "browser/filter_bar.h"
#include "browser/filter_picker_button.h"
#include "browser/header_toolbar.h"
#include "browser/sidebar_rows.h"
#include "browser/sidebar_section.h"
#include "browser/window_fixture.h"

#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

namespace lumivex::test {
namespace {

using SidebarTest = WindowTest;

QList<SourceOption*> options(const QFrame* popover) {
    return popover->findChildren<SourceOption*>();
}

// A row as the sidebar lays it out: title, count, highlight and place from the top.
struct LaidOutRow {
    QString title;
    std::optional<qsizetype> count;
    bool selected = false;
    int top = 0;

    bool operator==(const LaidOutRow&) const = default;
};

void PrintTo(const LaidOutRow& row, std::ostream* out) {
    *out << row.title.toStdString() << " " << row.count.value_or(-1) << (row.selected ? " *" : "")
         << " @" << row.top;
}

// The rows a person sees, top to bottom by their geometry, so that a row left in the wrong
// place of its layout or a removed row still shown is told apart from the plan's order.
// Counts the moves of the widgets it watches.
struct MoveCounter : QObject {
    int moves = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        moves += event->type() == QEvent::Move ? 1 : 0;
        return false;
    }
};

std::vector<LaidOutRow> laidOutRows(QWidget* sidebar) {
    for (int turn = 0; turn < 8; ++turn) {
        QCoreApplication::sendPostedEvents();
    }
    std::vector<LaidOutRow> rows;
    for (const NavRow* row : sidebar->findChildren<NavRow*>()) {
        if (row->isVisibleTo(sidebar)) {
            rows.push_back(
                {row->text(), row->count(), row->selected(), row->mapTo(sidebar, QPoint()).y()});
        }
    }
    std::sort(rows.begin(), rows.end(),
              [](const LaidOutRow& a, const LaidOutRow& b) { return a.top < b.top; });
    return rows;
}

TEST_F(SidebarTest, WithoutLibraryNothingCanBeEditedOrRefreshed) {
    makeWindow();
    Sidebar* sidebar = window->sidebar();
    EXPECT_EQ(sidebar->sourceDetail()->text(), QStringLiteral("보관함을 선택하세요"));
    EXPECT_FALSE(sidebar->addPropertyButton()->isEnabled());
    EXPECT_FALSE(sidebar->editPropertiesButton()->isEnabled());
    EXPECT_TRUE(sidebar->addPropertyButton()->isVisibleTo(sidebar));
    EXPECT_TRUE(sidebar->editPropertiesButton()->isVisibleTo(sidebar));
    // The store's default library is no library of the user's: no rating, no properties.
    EXPECT_EQ(sidebar->rowTitles(),
              (QStringList{QStringLiteral("전체 미디어"), QStringLiteral("사진"),
                           QStringLiteral("영상"), QStringLiteral("아직 분류 없음")}));
    for (const QString& property :
         {QStringLiteral("사람"), QStringLiteral("위치"), QStringLiteral("태그")}) {
        for (const QLabel* label : sidebar->findChildren<QLabel*>()) {
            EXPECT_FALSE(label->isVisibleTo(sidebar) && label->text() == property);
        }
    }
    for (const QToolButton* button : sidebar->findChildren<QToolButton*>()) {
        EXPECT_NE(button->toolTip(), QStringLiteral("분류 이름 변경"));
    }
    FilterBar* bar = window->browserArea()->filterBar();
    EXPECT_TRUE(bar->kindPicker()->isVisibleTo(bar));
    EXPECT_FALSE(bar->ratingPicker()->isVisibleTo(bar));
    EXPECT_FALSE(bar->folderPicker()->isVisibleTo(bar));
    for (const Category& property : store->library().tagProperties()) {
        EXPECT_EQ(bar->propertyPicker(property.id), nullptr) << property.name.toStdString();
    }
    screenshot(QStringLiteral("first-start"));
    HeaderToolbar* header = window->header();
    EXPECT_FALSE(header->refreshButton()->isEnabled());
    const QList<QAction*> entries = header->libraryMenu()->actions();
    QStringList disabled;
    for (const QAction* entry : entries) {
        if (!entry->isSeparator() && !entry->isEnabled()) {
            disabled.append(entry->text());
        }
    }
    EXPECT_EQ(disabled,
              (QStringList{QStringLiteral("원본 폴더 열기"), QStringLiteral("최근 삭제 기록…"),
                           QStringLiteral("전체 분류를 CSV로 내보내기…"),
                           QStringLiteral("분류 정보 폴더 보기"),
                           QStringLiteral("이 폴더의 속성 편집…")}));
    EXPECT_EQ(entries[0]->text(), QStringLiteral("사진 보관함"));
}

TEST_F(SidebarTest, TheSourcePopoverListsRecentFoldersWithTheOpenOneChecked) {
    addPhoto(QStringLiteral("a.jpg"));
    makeWindow();
    QTest::mouseClick(window->sidebar()->sourceButton(), Qt::LeftButton);
    settle();
    QFrame* popover = window->sidebar()->sourcePopover();
    ASSERT_NE(popover, nullptr);
    EXPECT_NE(buttonWithText(popover, QStringLiteral("내 폴더 선택…")), nullptr);
    bool none = false;
    for (const QLabel* label : popover->findChildren<QLabel*>()) {
        none = none || label->text() == QStringLiteral("최근에 연결한 폴더가 없습니다");
    }
    EXPECT_TRUE(none);
    window->state().setSourceMenu(false);
    settle();

    openLibrary();
    window->state().setSourceMenu(true);
    settle();
    popover = window->sidebar()->sourcePopover();
    ASSERT_NE(popover, nullptr);
    const QList<SourceOption*> rows = options(popover);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[1]->text(), QStringLiteral("library"));
    EXPECT_EQ(rows[1]->detail(), library);
    EXPECT_TRUE(rows[1]->selected());
    EXPECT_FALSE(rows[2]->selected());
    EXPECT_EQ(popover->findChild<QScrollArea*>()->height(), 58);
    screenshot(QStringLiteral("source-popover"));
    QToolButton* remove = nullptr;
    for (QToolButton* button : popover->findChildren<QToolButton*>()) {
        if (button->accessibleName() == QStringLiteral("library 최근 기록에서 제거")) {
            remove = button;
        }
    }
    ASSERT_NE(remove, nullptr);
    QTest::mouseClick(remove, Qt::LeftButton);
    settle();
    EXPECT_TRUE(store->recentFolders().folders().isEmpty());
    EXPECT_EQ(store->root(), library);
    EXPECT_TRUE(window->state().sourceMenu());
}

TEST_F(SidebarTest, PropertyValuesSelectReplaceAndDeselect) {
    addPhoto(QStringLiteral("a.jpg"));
    addPhoto(QStringLiteral("b.jpg"));
    openLibrary();
    const Category tags = store->library().tagProperties().constLast();
    selectFiles({QStringLiteral("a.jpg")});
    store->addLabel(QStringLiteral("바다"), tags);
    selectFiles({QStringLiteral("b.jpg")});
    store->addLabel(QStringLiteral("산"), tags);
    settle();
    Sidebar* sidebar = window->sidebar();
    ASSERT_NE(sidebar->row(QStringLiteral("바다")), nullptr);
    EXPECT_EQ(sidebar->row(QStringLiteral("바다"))->count(), 1);
    MediaQuery query = store->query();
    query.emptyFacets.insert(tags.idText());
    store->setQuery(query);
    settle();
    QTest::mouseClick(sidebar->row(QStringLiteral("바다")), Qt::LeftButton);
    settle();
    EXPECT_EQ(store->query().facets.at(tags.idText()), QStringLiteral("바다"));
    EXPECT_TRUE(store->query().emptyFacets.isEmpty());
    EXPECT_TRUE(sidebar->row(QStringLiteral("바다"))->selected());
    QTest::mouseClick(sidebar->row(QStringLiteral("산")), Qt::LeftButton);
    settle();
    EXPECT_EQ(store->query().facets.at(tags.idText()), QStringLiteral("산"));
    QTest::mouseClick(sidebar->row(QStringLiteral("산")), Qt::LeftButton);
    settle();
    EXPECT_TRUE(store->query().facets.empty());
}

// Edits that change a property's values update the shown section in place; what it shows must
// be what a sidebar made afresh shows, and rows whose value stays keep their widget.
TEST_F(SidebarTest, ValuesFollowedInPlaceShowWhatAFreshSidebarShows) {
    for (const QString& name : {QStringLiteral("a.jpg"), QStringLiteral("b.jpg"),
                                QStringLiteral("c.jpg"), QStringLiteral("d.jpg")}) {
        addPhoto(name);
    }
    openLibrary();
    const auto tags = [this] { return store->library().tagProperties().constLast(); };
    const auto label = [&](const QString& file, const QString& value) {
        selectFiles({file});
        store->addLabel(value, tags());
    };
    label(QStringLiteral("a.jpg"), QStringLiteral("바다"));
    label(QStringLiteral("b.jpg"), QStringLiteral("산"));
    label(QStringLiteral("c.jpg"), QStringLiteral("산"));
    settle();
    Sidebar* sidebar = window->sidebar();
    const auto expectFresh = [&](const char* step) {
        settle();
        Sidebar fresh(*store, window->state());
        fresh.show();
        fresh.refreshIfStale();
        EXPECT_EQ(laidOutRows(sidebar), laidOutRows(&fresh)) << step;
        EXPECT_EQ(sidebar->rowTitles(), fresh.rowTitles()) << step;
    };
    NavRow* mountain = sidebar->row(QStringLiteral("산"));
    NavRow* all = sidebar->row(QStringLiteral("전체 미디어"));

    label(QStringLiteral("d.jpg"), QStringLiteral("하늘"));
    expectFresh("added");
    ASSERT_NE(sidebar->row(QStringLiteral("하늘")), nullptr);
    EXPECT_EQ(sidebar->row(QStringLiteral("산")), mountain);
    EXPECT_EQ(sidebar->row(QStringLiteral("전체 미디어")), all);

    store->renameOption(QStringLiteral("바다"), QStringLiteral("강"), tags());
    expectFresh("renamed");
    EXPECT_EQ(sidebar->row(QStringLiteral("바다")), nullptr);
    EXPECT_EQ(sidebar->row(QStringLiteral("산")), mountain);

    store->moveOption(QStringLiteral("하늘"), QStringLiteral("강"), tags());
    expectFresh("moved");

    selectFiles({QStringLiteral("b.jpg")});
    store->removeLabel(QStringLiteral("산"), tags());
    expectFresh("one use removed");
    EXPECT_EQ(sidebar->row(QStringLiteral("산")), mountain);

    store->deleteOption(QStringLiteral("하늘"), tags());
    expectFresh("deleted");
    EXPECT_EQ(sidebar->row(QStringLiteral("하늘")), nullptr);
    EXPECT_EQ(sidebar->row(QStringLiteral("산")), mountain);

    // A kept row still filters by its value, and its highlight follows.
    QTest::mouseClick(mountain, Qt::LeftButton);
    expectFresh("filtered");
    EXPECT_EQ(store->query().facets.at(tags().idText()), QStringLiteral("산"));
    EXPECT_TRUE(mountain->selected());
    selectFiles({QStringLiteral("c.jpg")});
    store->renameOption(QStringLiteral("산"), QStringLiteral("언덕"), tags());
    expectFresh("renamed while filtered");
    EXPECT_TRUE(sidebar->row(QStringLiteral("언덕"))->selected());
}

// Rows moved, added, removed and replaced, against a section made afresh from the same plan;
// a plan the section cannot follow changes nothing and leaves it to be made again.
TEST_F(SidebarTest, ASectionFollowsAnyChangeOfItsRowsAsAFreshSectionShowsIt) {
    makeWindow();
    const QUuid property = QUuid::createUuid();
    // Titles and the highlighted one as "a,b,c" and "b".
    const auto plan = [&](const char* titles, const char* selected = "") {
        SidebarPlan::Section section;
        section.title = QStringLiteral("태그");
        section.property = property;
        section.spacing = 6;
        section.symbol = QStringLiteral("tag");
        const QStringList names = QString::fromLatin1(titles).split(u',', Qt::SkipEmptyParts);
        for (qsizetype i = 0; i < names.size(); ++i) {
            section.values.append({names[i], i + 1});
        }
        if (*selected) {
            section.chosen = QString::fromLatin1(selected);
        }
        section.choose = [](const QString&) {};
        return section;
    };
    // As in the sidebar: at the top of a column, as tall as its rows.
    const auto column = [](SidebarSection* section) {
        auto widget = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(widget.get());
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(section);
        layout->addStretch(1);
        widget->setFixedSize(186, 600);
        widget->show();
        return widget;
    };
    auto* shown = new SidebarSection(plan("a,b,c,d", "b"), window->state());
    const std::unique_ptr<QWidget> shownColumn = column(shown);
    const std::vector<std::pair<const char*, const char*>> steps{
        {"a,b,c,d,e", "b"}, {"e,a,b,c,d", "e"}, {"d,c,b,a,e", ""}, {"c,x,a", "x"},
        {"c", "c"},         {"", ""},           {"p,q,r", "q"},    {"r,s,p,t,q", "s"},
        {"r,s,p,t,q", "s"}, {"r,s,p,t,q", "t"},
    };
    for (const auto& [titles, selected] : steps) {
        QHash<QString, NavRow*> before;
        for (NavRow* row : shown->rows()) {
            before.insert(row->text(), row);
        }
        SidebarPlan::Section next = plan(titles, selected);
        ASSERT_TRUE(shown->follow(next)) << titles;
        const std::unique_ptr<QWidget> fresh =
            column(new SidebarSection(plan(titles, selected), window->state()));
        EXPECT_EQ(laidOutRows(shownColumn.get()), laidOutRows(fresh.get())) << titles;
        for (const NavRow* row : shown->rows()) {
            EXPECT_TRUE(!before.contains(row->text()) || before[row->text()] == row)
                << row->text().toStdString();
        }
    }

    SidebarPlan::Section renamed = plan("a");
    renamed.title = QStringLiteral("사람");
    EXPECT_FALSE(shown->follow(renamed));
    SidebarPlan::Section hinted = plan("");
    hinted.hint = true;
    EXPECT_FALSE(shown->follow(hinted));
    SidebarPlan::Section doubled = plan("a,a");
    SidebarSection twice(doubled, window->state());
    SidebarPlan::Section two = plan("a,b");
    EXPECT_FALSE(twice.follow(two));
    SidebarPlan::Section withLengths = plan("");
    withLengths.property = QUuid();
    withLengths.rows.push_back(
        {QStringLiteral("영상"), QStringLiteral("play.rectangle"), 1, false, false, [] {}});
    withLengths.rows.push_back(
        {QStringLiteral("짧은 영상"), QStringLiteral("clock"), 1, false, true, [] {}});
    SidebarSection lengths(withLengths, window->state());
    SidebarPlan::Section one = withLengths;
    one.rows.pop_back();
    one.rows.push_back({QStringLiteral("사진"), QStringLiteral("photo"), 1, false, false, [] {}});
    EXPECT_FALSE(lengths.follow(one));
    EXPECT_EQ(one.rows.size(), 2u);
    EXPECT_EQ(lengths.rows().size(), 2);
    EXPECT_EQ(laidOutRows(shownColumn.get()).size(), 5u);
    EXPECT_TRUE(shown->rows()[3]->selected());
}

// The sidebar taller than the window: a section that grows pushes down the ones below, which
// move whole, so their rows are neither laid out again nor repainted.
TEST_F(SidebarTest, RowsBelowAGrownSectionKeepTheirPlaceInTheirSection) {
    addPhoto(QStringLiteral("a.jpg"));
    openLibrary();
    const QList<Category> properties = store->library().tagProperties();
    const auto property = [this](qsizetype index) {
        return store->library().tagProperties()[index];
    };
    selectFiles({QStringLiteral("a.jpg")});
    for (int value = 0; value < 18; ++value) {
        store->addLabel(QStringLiteral("값 %1").arg(value), property(properties.size() - 1));
    }
    settle();
    Sidebar* sidebar = window->sidebar();
    NavRow* last = sidebar->row(QStringLiteral("값 17"));
    ASSERT_NE(last, nullptr);
    ASSERT_GT(last->mapTo(sidebar, QPoint()).y(), sidebar->height());
    const int top = last->y();
    MoveCounter counter;
    last->installEventFilter(&counter);
    store->addLabel(QStringLiteral("민지"), property(0));
    settle();
    laidOutRows(sidebar);
    EXPECT_EQ(counter.moves, 0);
    EXPECT_EQ(last->y(), top);
    EXPECT_EQ(sidebar->row(QStringLiteral("값 17")), last);
}

}  // namespace
}  // namespace lumivex::test

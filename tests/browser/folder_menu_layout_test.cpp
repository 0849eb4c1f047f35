#include "browser/filter_bar_choices.h"
#include "browser/folder_menu_controller.h"
#include "browser/folder_menu_row.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

// A window with one button near `x` to anchor a menu.
struct Anchored {
    explicit Anchored(int x) {
        window.resize(QGuiApplication::primaryScreen()->availableGeometry().size());
        window.move(QGuiApplication::primaryScreen()->availableGeometry().topLeft());
        button.setParent(&window);
        button.setGeometry(x, 100, 80, 28);
        window.show();
        menu.setAnchor(&button);
    }
    ~Anchored() { menu.close(); }

    QWidget window;
    QPushButton button;
    FolderMenuController menu;
};

std::vector<FolderFilterNode> deepTree() {
    return FolderFilterNode::tree({QStringLiteral("a/b/c")});
}

TEST(FolderMenuRow, IndentedRowsShiftTheirIconAndTitle) {
    FolderMenuRow row;
    row.resize(300, 30);
    row.setIndentation(2);
    EXPECT_EQ(row.iconRect(), QRectF(42, 9, 13, 13));
    EXPECT_EQ(row.titleRect(), QRectF(63, 7, 300 - 109, 17));
    EXPECT_EQ(row.checkMarkRect().left(), 260);
    EXPECT_EQ(row.chevronRect().left(), 279);
    EXPECT_EQ(row.highlightRect(), QRectF(2, 1, 296, 28));
}

TEST(FolderMenuLayout, AnEmptyTreeGivesTwoRowsAndTheSeparator) {
    Anchored anchored(40);
    anchored.menu.configure({}, std::nullopt, [](const auto&) {});
    anchored.menu.toggle();
    ASSERT_TRUE(anchored.menu.isOpen());
    EXPECT_EQ(anchored.menu.panel(0)->height(), 2 * 30 + 8 + 9 + 34);
    EXPECT_EQ(anchored.menu.panel(0)->width(), 220);
    EXPECT_EQ(anchored.menu.rows(0)[1]->toolTip(), QStringLiteral("하위폴더 제외"));
    EXPECT_TRUE(anchored.menu.rows(0)[0]->toolTip().isEmpty());
}

TEST(FolderMenuLayout, LongTitlesAreCappedAndEmptyChoicesKeepTheMenuOpen) {
    Anchored anchored(40);
    anchored.menu.configure(
        {{QString(200, QLatin1Char('m')), QStringLiteral("x"), QStringLiteral("tag"), 1}},
        QStringLiteral("긴 목록"), std::nullopt, [](const auto&) {});
    anchored.menu.toggle();
    EXPECT_EQ(anchored.menu.panel(0)->width(), 300);
    EXPECT_EQ(anchored.menu.rows(0)[0]->toolTip(), QString(200, QLatin1Char('m')));
    anchored.menu.close();
    bool chosen = false;
    anchored.menu.configure(QList<FilterMenuOption>(), QStringLiteral("빈 목록"), std::nullopt,
                            [&](const auto&) { chosen = true; });
    anchored.menu.toggle();
    EXPECT_TRUE(anchored.menu.handleKey(Qt::Key_Down));
    EXPECT_TRUE(anchored.menu.handleKey(Qt::Key_Return));
    EXPECT_TRUE(anchored.menu.isOpen());
    EXPECT_FALSE(chosen);
}

TEST(FolderMenuLayout, AChildNearTheRightEdgeOpensToTheLeftOfItsParent) {
    const QRect usable =
        QGuiApplication::primaryScreen()->availableGeometry().adjusted(8, 8, -8, -8);
    Anchored anchored(usable.width() - 260);
    std::optional<QString> chosen;
    anchored.menu.configure(deepTree(), QStringLiteral("a/b"),
                            [&](const std::optional<QString>& path) { chosen = path; });
    anchored.menu.toggle();
    EXPECT_FALSE(anchored.menu.rows(0)[0]->checkMark());
    anchored.menu.handleKey(Qt::Key_Down);
    anchored.menu.handleKey(Qt::Key_Down);
    anchored.menu.handleKey(Qt::Key_Right);
    ASSERT_EQ(anchored.menu.levelCount(), 2);
    const QRect parent = anchored.menu.panel(0)->geometry();
    const QRect child = anchored.menu.panel(1)->geometry();
    EXPECT_EQ(child.right(), parent.left());
    EXPECT_TRUE(anchored.menu.rows(1)[0]->checkMark());
    EXPECT_EQ(child.top() + 34 + 4, anchored.menu.rows(0)[2]->mapToGlobal(QPoint(0, 0)).y());
    anchored.menu.handleKey(Qt::Key_Return);
    EXPECT_EQ(chosen, QStringLiteral("a/b"));
}

TEST(FolderMenuLayout, ALongFolderNameIsShortenedInTheMiddleOfItsLevelsHeader) {
    Anchored anchored(40);
    const QString name = QStringLiteral("2024년 여름 제주도 가족 여행 둘째 날 오후 한림공원에서");
    anchored.menu.configure(FolderFilterNode::tree({name + QStringLiteral("/사진")}), std::nullopt,
                            [](const auto&) {});
    anchored.menu.toggle();
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Right}) {
        anchored.menu.handleKey(key);
    }
    ASSERT_EQ(anchored.menu.levelCount(), 2);
    const auto* header = anchored.menu.panel(1)->findChild<QLabel*>();
    EXPECT_TRUE(header->text().startsWith(QStringLiteral("2024년 여름")) &&
                header->text().endsWith(QStringLiteral("한림공원에서")));
    EXPECT_LE(header->fontMetrics().horizontalAdvance(header->text()), header->width());
}

TEST(FolderMenuLayout, UpAndDownWrapAndLeftOnTheRootStaysOpen) {
    Anchored anchored(40);
    anchored.menu.configure({}, std::nullopt, [](const auto&) {});
    anchored.menu.toggle();
    anchored.menu.handleKey(Qt::Key_Up);
    EXPECT_EQ(anchored.menu.focusedIndex(), 1);
    anchored.menu.handleKey(Qt::Key_Down);
    EXPECT_EQ(anchored.menu.focusedIndex(), 0);
    EXPECT_TRUE(anchored.menu.handleKey(Qt::Key_Left));
    EXPECT_TRUE(anchored.menu.isOpen());
    EXPECT_FALSE(anchored.menu.handleKey(Qt::Key_A));
}

TEST(FilterBarChoicesTest, KindValuesThatAreNoPresetFallBackToTheKindRule) {
    MediaQuery query;
    query.kind = MediaKind::video;
    query.videoDuration = VideoDurationRange{1200, std::nullopt, false};
    EXPECT_EQ(FilterBarChoices::kindSelection(query), QStringLiteral("duration:twentyPlus"));
    EXPECT_EQ(FilterBarChoices::kindTitle(query), QStringLiteral("영상 · 20분 이상"));
    EXPECT_FALSE(FilterBarChoices::customDurationSelected(query));
    query.videoDuration = VideoDurationRange{1200, 1500, false};
    EXPECT_EQ(FilterBarChoices::kindSelection(query), QStringLiteral("duration:custom"));
    EXPECT_EQ(FilterBarChoices::kindSymbol(query), QStringLiteral("play.rectangle"));
    query = MediaQuery();
    query.minimumRating = 0;
    query.videoDuration = VideoDurationRange{60, 180, false};
    EXPECT_FALSE(FilterBarChoices::anyFilter(query));
    query.emptyFacets.insert(QStringLiteral("X"));
    EXPECT_TRUE(FilterBarChoices::anyFilter(query));
}

}  // namespace
}  // namespace lumivex

#include "browser/browser_palette.h"
#include "browser/grid_fixture.h"
#include "browser/grid_thumbnails.h"
#include "browser/media_card_delegate.h"
#include "browser/media_card_layout.h"
#include "browser/media_card_menu.h"
#include "browser/media_grid_model.h"

#include <QDir>
#include <QMenu>
#include <QScrollBar>
#include <QTest>

namespace lumivex::test {
namespace {

class MediaCard : public GridTest {
protected:
    const MediaItem& itemAt(qsizetype position) { return grid->gridModel().item(position); }
    QPointF starPoint(qsizetype position, int number) {
        const QRectF frame =
            grid->gridLayout().frame(position).translated(0, -grid->verticalScrollBar()->value());
        return MediaCardLayout(frame).star(number).center();
    }
    Category property(const QString& name) {
        for (const Category& category : store->library().categories) {
            if (category.name == name) {
                return category;
            }
        }
        ADD_FAILURE() << name.toStdString();
        return {};
    }
    QStringList menuTexts(const MediaItem& item) {
        std::unique_ptr<QMenu> menu(MediaCardMenu::make(
            item, {store.get(), &shell}, [] {}, window.get()));
        QStringList texts;
        for (QAction* action : menu->actions()) {
            texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
        }
        return texts;
    }
};

TEST_F(MediaCard, PressingAStarRatesTheCardAloneAndPressingItAgainClears) {
    openMedia(3);
    showGrid(710, 700);
    click(thumbnailPoint(0));
    click(starPoint(2, 3));
    EXPECT_EQ(store->selection(), idsAt({2}));
    EXPECT_EQ(itemAt(2).rating, 3);
    click(thumbnailPoint(0));
    click(starPoint(2, 3));
    EXPECT_EQ(store->selection(), idsAt({2}));
    EXPECT_EQ(itemAt(2).rating, 0);
    // A press that leaves the star before its release rates nothing.
    press(starPoint(1, 2));
    release(starPoint(1, 4) + QPointF(0, 40));
    EXPECT_EQ(itemAt(1).rating, 0);
}

TEST_F(MediaCard, OptionValuesFollowThePropertiesInOrder) {
    openMedia(2);
    showGrid(710, 700);
    const MediaGridModel& model = grid->gridModel();
    EXPECT_EQ(MediaCardDelegate::valuesText(itemAt(0), model), QString());
    store->setSelection(idsAt({0}));
    store->addLabel(QStringLiteral("c"), property(QStringLiteral("태그")));
    store->addLabel(QStringLiteral("b"), property(QStringLiteral("태그")));
    store->addLabel(QStringLiteral("a"), property(QStringLiteral("사람")));
    EXPECT_EQ(MediaCardDelegate::valuesText(itemAt(0), model), QStringLiteral("a · c · b"));
    EXPECT_EQ(MediaCardDelegate::valuesText(itemAt(1), model), QString());
}

TEST_F(MediaCard, ContextMenusSpeakThisPlatformsWords) {
    openMedia(3, 1);
    showGrid(710, 700);
    const QStringList photo = {QStringLiteral("미리보기"), QStringLiteral("파일 관리자에서 보기"),
                               QStringLiteral("기본 앱으로 열기"), QStringLiteral("-"),
                               QStringLiteral("삭제…")};
    EXPECT_EQ(menuTexts(itemAt(0)), photo);
    const QStringList video = {QStringLiteral("재생"), QStringLiteral("파일 관리자에서 보기"),
                               QStringLiteral("-"), QStringLiteral("삭제…")};
    EXPECT_EQ(menuTexts(itemAt(3)), video);
    MediaItem inPhotos = itemAt(0);
    inPhotos.fileIdentity = QStringLiteral("photos:pictures/p00.jpg");
    EXPECT_EQ(menuTexts(inPhotos),
              (QStringList{QStringLiteral("미리보기"), QStringLiteral("사진 폴더 열기"),
                           QStringLiteral("-"), QStringLiteral("삭제…")}));

    store->setSelection(idsAt({0, 1, 3}));
    EXPECT_EQ(menuTexts(itemAt(1)).last(), QStringLiteral("선택한 3개 삭제…"));
    EXPECT_EQ(menuTexts(itemAt(2)).last(), QStringLiteral("삭제…"));

    std::unique_ptr<QMenu> menu(MediaCardMenu::make(
        itemAt(2), {store.get(), &shell}, [] {}, window.get()));
    menu->actions().at(2)->trigger();
    EXPECT_EQ(shell.opened, QStringList{at(QStringLiteral("p02.jpg"))});
    menu->actions().at(4)->trigger();
    ASSERT_TRUE(store->deletionRequest());
    EXPECT_EQ(store->selection(), idsAt({2}));
}

TEST_F(MediaCard, ThumbnailsLoadForTheScreenAndAboutOneMore) {
    openMedia(45, 0, QSize(320, 240));
    showGrid(710, 300);  // three columns, about one row on screen
    waitForThumbnails();
    const auto settled = [&] {
        return QTest::qWaitFor([&] { return grid->thumbnails().requestsInFlight() == 0; }, 10000);
    };
    ASSERT_TRUE(settled());
    const int first = thumbnails.decodeCount();
    EXPECT_GE(first, 3);
    EXPECT_LE(first, 12);
    // Scrolling far away before the pause ends: the rows passed by are never decoded.
    grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum() / 2);
    grid->requestThumbnails();
    grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
    waitForThumbnails();
    ASSERT_TRUE(settled());
    EXPECT_LE(thumbnails.decodeCount(), first + 12);
}

TEST_F(MediaCard, WritesAScreenshotOfAPopulatedGrid) {
    openMedia(6, 2, QSize(640, 480));
    showGrid(1280 - 15, 840);
    store->setSelection(idsAt({1}));
    store->setRating(4);
    store->addLabel(QStringLiteral("가족"), property(QStringLiteral("사람")));
    store->addLabel(QStringLiteral("바다"), property(QStringLiteral("태그")));
    click(thumbnailPoint(2));
    click(thumbnailPoint(5), Qt::ControlModifier);
    waitForThumbnails();
    const QImage shot = grid->grab().toImage();
    EXPECT_TRUE(shot.save(QDir(QCoreApplication::applicationDirPath())
                              .filePath(QStringLiteral("grid-populated.png"))));
    // The thumbnail of the first card is drawn, not the placeholder.
    const QRectF frame = grid->gridLayout().frame(0);
    const QColor middle = shot.pixelColor(frame.center().toPoint().x(),
                                          static_cast<int>(frame.top() + frame.width() / 2));
    EXPECT_GT(std::abs(middle.lightness() - QColor(BrowserPalette::canvas()).lightness()), 20);
}

}  // namespace
}  // namespace lumivex::test

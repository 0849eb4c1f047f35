#include "browser/browser_area.h"
#include "browser/browser_palette.h"
#include "browser/empty_state.h"
#include "browser/filter_bar.h"
#include "browser/filter_chip.h"
#include "browser/filter_picker_button.h"
#include "browser/library_scope_label.h"
#include "browser/window_fixture.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace lumivex::test {
namespace {

using HeadingLookTest = WindowTest;

// The columns of `image` holding a pixel close to the accent colour.
QList<bool> accentColumns(const QImage& image) {
    QList<bool> columns(image.width(), false);
    const QColor mint = BrowserPalette::mint();
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.green() - mint.green()) < 40 && std::abs(c.red() - mint.red()) < 40 &&
                c.green() > 150) {
                columns[x] = true;
            }
        }
    }
    return columns;
}

TEST(FilterChipLook, TheMarkStandsSixPointsAfterTheTitle) {
    FilterChip chip(QStringLiteral("별점 없음"));
    chip.resize(chip.sizeHint());
    const QList<bool> columns = accentColumns(chip.grab().toImage());
    const int last = static_cast<int>(columns.lastIndexOf(true));
    ASSERT_GT(last, 0);
    // The mark: the last run of painted columns; the gap before it: the empty run before that.
    int markStart = last;
    while (markStart > 0 && columns[markStart - 1]) {
        --markStart;
    }
    int textEnd = markStart - 1;
    while (textEnd > 0 && !columns[textEnd]) {
        --textEnd;
    }
    EXPECT_GE(markStart - textEnd - 1, FilterChip::markSpacing - 1);
    EXPECT_LE(markStart - textEnd - 1, FilterChip::markSpacing + 2);
    EXPECT_GE(last - markStart + 1, FilterChip::markSize);
    EXPECT_EQ(chip.width() - 1 - last, 10 - 1);  // the padding after the mark, anti-aliasing aside
}

TEST_F(HeadingLookTest, TheScopeLineShowsTheLibrarysSymbol) {
    addPhoto(QStringLiteral("a.jpg"));
    makeWindow();
    LibraryScopeLabel* scope = window->browserArea()->scopeLabel();
    EXPECT_FALSE(scope->isVisibleTo(window.get()));
    openLibrary();
    EXPECT_TRUE(scope->isVisibleTo(window.get()));
    EXPECT_EQ(scope->symbol(), QStringLiteral("folder"));
    EXPECT_EQ(scope->text(), QStringLiteral("library · 하위 폴더 포함"));
    EXPECT_EQ(scope->toolTip(), library);
    // The symbol is drawn before the text.
    const QImage image = scope->grab().toImage();
    int painted = 0;
    for (int x = 0; x < 11; ++x) {
        for (int y = 0; y < image.height(); ++y) {
            painted += image.pixelColor(x, y).lightness() > 80 ? 1 : 0;
        }
    }
    EXPECT_GT(painted, 10);
}

// A short title leaves the scope line all the room it asks for, and it is shown whole, in every
// size of its font: shortening is for a line that does not fit.
TEST_F(HeadingLookTest, TheScopeLineIsShownWholeWhereItFits) {
    addPhoto(QStringLiteral("a.jpg"));
    openLibrary();
    MediaQuery query = store->query();
    query.kind = MediaKind::video;
    store->setQuery(query);
    settle();
    ASSERT_EQ(window->browserArea()->titleLabel()->text(), QStringLiteral("영상"));
    LibraryScopeLabel* scope = window->browserArea()->scopeLabel();
    EXPECT_EQ(scope->shownText(), scope->text());
    for (int size = 8; size <= 16; ++size) {
        QFont font = scope->font();
        font.setPixelSize(size);
        scope->setFont(font);
        scope->resize(scope->sizeHint());
        EXPECT_EQ(scope->shownText(), scope->text()) << size;
    }
}

TEST_F(HeadingLookTest, TheCountStaysBesideTheTitleOverAWiderScopeLine) {
    addPhoto(QStringLiteral("2024년 여름 제주도 가족 여행/둘째 날 바닷가 사진/a.jpg"));
    openLibrary();
    MediaQuery query = store->query();
    query.folderPath = QStringLiteral("2024년 여름 제주도 가족 여행/둘째 날 바닷가 사진");
    store->setQuery(query);
    settle();
    const QLabel* title = window->browserArea()->titleLabel();
    ASSERT_GT(window->browserArea()->scopeLabel()->width(), title->sizeHint().width() + 40);
    const int titleEnd = title->x() + title->fontMetrics().horizontalAdvance(title->text());
    EXPECT_LE(window->browserArea()->countLabel()->x() - titleEnd, 8 + 1);
}

// The count and the buttons stand on the title's first baseline.
TEST_F(HeadingLookTest, TheHeadingsTextsShareTheTitlesBaseline) {
    addPhoto(QStringLiteral("a.jpg"));
    openLibrary();
    selectFiles({QStringLiteral("a.jpg")});
    settle();
    BrowserArea* area = window->browserArea();
    const auto baseline = [area](const QWidget* widget) {
        const QFontMetrics metrics(widget->font());
        const QRect box = widget->contentsRect();
        return widget->mapTo(area, box.topLeft()).y() + (box.height() - metrics.height()) / 2 +
               metrics.ascent();
    };
    const int title = baseline(area->titleLabel());
    EXPECT_NEAR(baseline(area->countLabel()), title, 1);
    EXPECT_NEAR(baseline(area->selectAllButton()), title, 1);
    ASSERT_TRUE(area->deleteButton()->isVisible());
    EXPECT_NEAR(baseline(area->deleteButton()), title, 1);
    EXPECT_NEAR(baseline(area->sortButton()), title, 1);
    screenshot(QStringLiteral("heading-selected-card"));
}

// The first frames, and those after another library opens, show the library loading: never the
// regions as they were made (a deletion running, no title) nor the library shown before.
TEST_F(HeadingLookTest, UntilTheViewsAreBuiltTheRegionsShowTheLibraryLoading) {
    addPhoto(QStringLiteral("a.jpg"));
    addPhoto(QStringLiteral("sub/b.jpg"));
    BrowserArea* area =
        showWindow({QStringLiteral("lumivex"), QStringLiteral("--library"), library}).browserArea();
    ASSERT_TRUE(store->derivedViewsPending());
    EXPECT_EQ(area->content(), BrowserContent::loading);
    EXPECT_EQ(area->titleLabel()->text(), QStringLiteral("전체 미디어"));
    EXPECT_GE(area->titleLabel()->width(), area->titleLabel()->sizeHint().width());
    for (const QLabel* label : area->findChildren<QLabel*>()) {
        EXPECT_FALSE(label->isVisible() && label->text() == QStringLiteral("삭제 중…"));
    }
    EXPECT_FALSE(area->deleteButton()->isVisible());
    EXPECT_FALSE(area->filterBar()->folderPicker()->isVisible());
    settle();
    EXPECT_EQ(area->content(), BrowserContent::grid);
    store->openLibrary(at(QStringLiteral("sub")), false, false);
    QCoreApplication::sendPostedEvents(area, QEvent::MetaCall);
    ASSERT_TRUE(store->derivedViewsPending());
    EXPECT_EQ(area->content(), BrowserContent::loading);
}

// A redraw is laid out before the window paints again, the chip it adds shown with it.
TEST_F(HeadingLookTest, ARedrawLaysItselfOut) {
    addPhoto(QStringLiteral("a.jpg"));
    openLibrary();
    BrowserArea* area = window->browserArea();
    MediaQuery query = store->query();
    query.kind = MediaKind::photo;
    store->setQuery(query);
    settle();
    query.kind.reset();
    query.folderPath = QString();
    store->setQuery(query);
    area->filterBar()->refreshIfStale();
    area->refreshIfStale();
    EXPECT_GE(area->titleLabel()->width(), area->titleLabel()->sizeHint().width());
    const QPushButton* chip = area->filterBar()->chip(QStringLiteral("선택한 폴더만"));
    ASSERT_NE(chip, nullptr);
    EXPECT_TRUE(chip->isVisible());
}

}  // namespace
}  // namespace lumivex::test

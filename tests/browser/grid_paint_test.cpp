#include "browser/browser_icons.h"
#include "browser/browser_palette.h"
#include "browser/grid_fixture.h"
#include "browser/media_card_chrome.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

namespace lumivex::test {
namespace {

// A card painted at a whole-pixel place of an image of `ratio`, as the grid paints it.
QImage canvasOf(qreal ratio) {
    QImage image(QSize(300, 360) * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(BrowserPalette::canvas());
    return image;
}

// The symbol on a placeholder comes from the surface's cache, and must be the symbol drawn as a
// vector over the placeholder, pixel for pixel, at every ratio, selection and dimming.
TEST(CardChrome, APlaceholderSymbolCopiedFromTheCacheIsTheSymbolDrawnOverTheSurface) {
    for (const QRectF& card : {QRectF(17, 23, 213, 287), QRectF(18, 24, 213, 287)}) {
        for (const qreal ratio : {1.0, 2.0, 1.5}) {
            for (const bool selected : {false, true}) {
                for (const QString& name : {QStringLiteral("photo"), QStringLiteral("video")}) {
                    for (const double dim : {0.18, 0.1}) {
                        const MediaCardChrome::Glyph glyph{name, BrowserPalette::white(dim), 36};
                        QImage cached = canvasOf(ratio);
                        QImage drawn = canvasOf(ratio);
                        MediaCardChrome cache;
                        MediaCardChrome plain;
                        {
                            QPainter painter(&cached);
                            painter.setRenderHint(QPainter::Antialiasing);
                            cache.paintSurface(painter, card, selected, true, glyph);
                            cache.paintSurface(painter, card, selected, true, glyph);
                        }
                        {
                            QPainter painter(&drawn);
                            painter.setRenderHint(QPainter::Antialiasing);
                            plain.paintSurface(painter, card, selected, true);
                            BrowserIcons::paint(painter, name, MediaCardChrome::glyphBox(card, 36),
                                                glyph.color);
                        }
                        EXPECT_EQ(cached, drawn) << ratio << selected << name.toStdString() << dim;
                    }
                }
            }
        }
    }
}

class GridPaint : public GridTest {
protected:
    // What the window shows now: the pixels kept on screen, scrolled or painted in parts.
    QImage onScreen() const {
        const QPoint origin = grid->viewport()->mapTo(window.get(), QPoint(0, 0));
        return window->screen()
            ->grabWindow(window->winId(), origin.x(), origin.y(), grid->viewport()->width(),
                         grid->viewport()->height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
    // The viewport painted whole from nothing.
    QImage paintedAfresh() const {
        return grid->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
};

// Scrolling moves the pixels already shown and paints only the rows that come into view; what
// the window shows must be what a paint of the whole viewport gives, after scrolls either way.
TEST_F(GridPaint, AScrolledGridShowsWhatAWholePaintShows) {
    openMedia(40);
    showGrid(710, 500);
    QCoreApplication::sendPostedEvents();
    QScrollBar* bar = grid->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 700);
    for (const int value : {37, 211, 90, 701, 3, 0}) {
        bar->setValue(value);
        QCoreApplication::sendPostedEvents();
        ASSERT_EQ(onScreen(), paintedAfresh()) << value;
    }
}

// A key on a card wholly in view leaves the grid where it is; on a card partly hidden it
// scrolls just enough to show it whole.
TEST_F(GridPaint, ARatingKeyScrollsOnlyToShowAPartlyHiddenCard) {
    openMedia(30);
    showGrid(710, 500);
    const GridLayout& layout = grid->gridLayout();
    const qsizetype columns = layout.columns();
    QScrollBar* bar = grid->verticalScrollBar();
    bar->setValue(0);
    ASSERT_LE(layout.frame(1).bottom(), 500);
    click(thumbnailPoint(1));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_2);
    EXPECT_EQ(bar->value(), 0);
    // The first row whose card reaches past the viewport's bottom.
    qsizetype hidden = columns;
    while (layout.frame(hidden).bottom() <= 500) {
        hidden += columns;
    }
    ASSERT_LT(layout.frame(hidden).top() + 20, 500);
    click(QPointF(layout.frame(hidden).center().x(), layout.frame(hidden).top() + 10));
    ASSERT_EQ(store->selection(), idsAt({hidden}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_3);
    EXPECT_EQ(bar->value(), static_cast<int>(std::ceil(layout.frame(hidden).bottom() - 500)));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(onScreen(), paintedAfresh());
}

}  // namespace
}  // namespace lumivex::test

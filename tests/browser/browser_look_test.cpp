#include "browser/browser_fonts.h"
#include "browser/browser_icons.h"
#include "browser/browser_palette.h"
#include "media_views/lumivex_style.h"
#include "media_views/view_style.h"
#include "panels/panel_symbol.h"
#include "panels/resizable_media_preview.h"
#include "panels/shortcut_help_view.h"
#include "platform/user_defaults.h"
#include "store/lumivex_theme.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTemporaryDir>

namespace lumivex {
namespace {

int paintedPixels(const QPixmap& pixmap) {
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
        }
    }
    return count;
}

TEST(BrowserLook, EverySymbolTheWindowNamesIsDrawn) {
    const char* const names[] = {"star",
                                 "star.fill",
                                 "star.slash",
                                 "person.2",
                                 "mappin",
                                 "tag",
                                 "list.bullet",
                                 "folder",
                                 "folder.badge.plus",
                                 "exclamationmark.folder",
                                 "photo",
                                 "video",
                                 "photo.stack",
                                 "photo.on.rectangle",
                                 "photo.on.rectangle.angled",
                                 "play.fill",
                                 "play.rectangle",
                                 "clock",
                                 "clock.arrow.circlepath",
                                 "checkmark",
                                 "checkmark.circle",
                                 "xmark",
                                 "xmark.circle.fill",
                                 "exclamationmark.triangle.fill",
                                 "xmark.octagon.fill",
                                 "info.circle.fill",
                                 "questionmark.circle.fill",
                                 "trash",
                                 "pencil",
                                 "magnifyingglass",
                                 "keyboard",
                                 "gearshape",
                                 "icloud",
                                 "square.grid.2x2",
                                 "square.grid.2x2.fill",
                                 "sidebar.right",
                                 "plus.circle",
                                 "minus.circle",
                                 "slider.horizontal.3",
                                 "line.3.horizontal.decrease.circle",
                                 "ellipsis.circle",
                                 "chevron.up",
                                 "chevron.down",
                                 "chevron.right",
                                 "arrow.up",
                                 "arrow.down",
                                 "arrow.up.arrow.down",
                                 "arrow.up.right",
                                 "arrow.clockwise",
                                 "arrow.uturn.backward",
                                 "arrow.uturn.forward",
                                 "arrow.triangle.2.circlepath",
                                 "minus",
                                 "plus",
                                 "return",
                                 "ellipsis",
                                 "line.3.horizontal",
                                 "cursorarrow.click.2",
                                 "square.stack",
                                 "arrow.up.forward.square",
                                 "checkmark.shield",
                                 "lock.fill"};
    for (const char* name : names) {
        const QPixmap pixmap = BrowserIcons::pixmap(QString::fromLatin1(name), 24, Qt::white);
        ASSERT_FALSE(pixmap.isNull()) << name;
        EXPECT_GT(paintedPixels(pixmap), 12) << name;
    }
    EXPECT_EQ(BrowserIcons::names().size(), static_cast<qsizetype>(std::size(names)));
}

TEST(BrowserLook, UnknownSymbolsDrawNothing) {
    EXPECT_FALSE(BrowserIcons::contains(QStringLiteral("no.such.symbol")));
    EXPECT_TRUE(BrowserIcons::pixmap(QStringLiteral("no.such.symbol"), 16, Qt::white).isNull());
    EXPECT_TRUE(BrowserIcons::pixmap(QStringLiteral("star"), 0, Qt::white).isNull());
}

TEST(BrowserLook, FilledAndHollowStarsDiffer) {
    const int hollow = paintedPixels(BrowserIcons::pixmap(QStringLiteral("star"), 40, Qt::white));
    const int solid =
        paintedPixels(BrowserIcons::pixmap(QStringLiteral("star.fill"), 40, Qt::white));
    EXPECT_GT(solid, hollow * 4 / 3);
}

TEST(BrowserLook, PaletteFollowsTheTheme) {
    EXPECT_EQ(BrowserPalette::canvas(), LumivexTheme::canvas());
    EXPECT_EQ(BrowserPalette::panel(), LumivexTheme::panel());
    EXPECT_EQ(BrowserPalette::mint(), LumivexTheme::accent());
    EXPECT_NEAR(BrowserPalette::mint(0.13).alphaF(), 0.13, 0.005);
    EXPECT_EQ(BrowserPalette::mint(0.13).rgb(), LumivexTheme::accent().rgb());
    const QPalette palette = BrowserPalette::applicationPalette();
    EXPECT_EQ(palette.color(QPalette::Window), LumivexTheme::canvas());
    EXPECT_EQ(palette.color(QPalette::Highlight), LumivexTheme::accent());
}

TEST(BrowserLook, FontsAreSizedInPixelsWithAKoreanFace) {
    const QFont font = BrowserFonts::system(12, QFont::Medium);
    EXPECT_EQ(font.pixelSize(), 12);
    EXPECT_EQ(font.weight(), QFont::Medium);
    EXPECT_EQ(BrowserFonts::system(10.4).pixelSize(), 10);
    EXPECT_EQ(BrowserFonts::system(0.2).pixelSize(), 1);
    const QFontInfo info(BrowserFonts::system(12));
    EXPECT_TRUE(info.family().contains(QStringLiteral("CJK")) ||
                info.family().contains(QStringLiteral("KR")))
        << info.family().toStdString();
}

// A symbol the panels and media views show as text is in a font the install puts on the machine,
// with fallbacks, or it shows as a box; the application draws those no such font has.
TEST(BrowserLook, EverySymbolShownAsTextIsInAnInstalledFont) {
    LumivexStyle::install(&BrowserIcons::paint);
    QTemporaryDir temp;
    UserDefaults defaults(temp.filePath(QStringLiteral("defaults.json")));
    QWidget views;
    new ShortcutHelpView(defaults, {}, &views);
    new ResizableMediaPreview(defaults, {}, {}, &views);
    const QString panelSymbols = QStringLiteral(
        "xmark xmark.circle.fill star star.fill clock.arrow.circlepath keyboard magnifyingglass "
        "checkmark.circle info.circle icloud folder film photo chevron.down chevron.up "
        "square.grid.2x2 arrow.up.left.and.arrow.down.right play.rectangle text.alignleft tag "
        "person.2 mappin list.bullet");
    for (const QString& name : panelSymbols.split(QLatin1Char(' '))) {
        PanelSymbol::label(name, 11, Qt::white, &views);
    }
    const QString mediaSymbols = QStringLiteral(
        "video photo icloud.slash icloud photo.badge.checkmark photo.on.rectangle.angled");
    for (const QString& name : mediaSymbols.split(QLatin1Char(' '))) {
        ViewStyle::symbol(name, 14, &views);
    }
    for (const QLabel* label : views.findChildren<QLabel*>()) {
        const QFontMetrics metrics(label->font());
        for (const uint c : label->text().toUcs4()) {
            EXPECT_TRUE(metrics.inFontUcs4(c))
                << label->property("symbol").toString().toStdString() << " U+" << std::hex << c;
        }
    }
}

// A sheet of every symbol for a person to look at.
TEST(BrowserLook, WritesTheSymbolSheet) {
    const QStringList all = BrowserIcons::names();
    QImage sheet(8 * 40, ((all.size() + 7) / 8) * 40, QImage::Format_ARGB32);
    sheet.fill(BrowserPalette::canvas());
    QPainter painter(&sheet);
    for (int i = 0; i < all.size(); ++i) {
        BrowserIcons::paint(painter, all[i], QRectF((i % 8) * 40 + 8, (i / 8) * 40 + 8, 24, 24),
                            BrowserPalette::mint());
    }
    painter.end();
    EXPECT_TRUE(sheet.save(QDir(QCoreApplication::applicationDirPath())
                               .filePath(QStringLiteral("browser-symbols.png"))));
}

}  // namespace
}  // namespace lumivex

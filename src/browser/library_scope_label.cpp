#include "browser/library_scope_label.h"

#include "browser/browser_fonts.h"
#include "browser/browser_icons.h"
#include "browser/browser_palette.h"
#include "store/lumivex_store.h"

#include <QDir>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>
#include <utility>

namespace lumivex {

namespace {

constexpr int symbolSize = 11;
constexpr int symbolSpacing = 4;

// The other platform's photo library, as a Linux user reads it.
const QString photoLibraryScope = QStringLiteral("사진 보관함");

QString scopeText(LumivexStore& store) {
    if (store.source() == LibrarySource::photos) {
        return photoLibraryScope;
    }
    const QString name = QDir(store.root()).dirName();
    const std::optional<QString>& folder = store.query().folderPath;
    if (!folder) {
        return name + QStringLiteral(" · 하위 폴더 포함");
    }
    if (folder->isEmpty()) {
        return name + QStringLiteral(" · 이 폴더만");
    }
    return name + QStringLiteral(" › ") +
           QString(*folder).replace(QLatin1Char('/'), QStringLiteral(" › "));
}

// The library's place: the photo library, or the root with the folder filter's path.
QString scopeHelp(LumivexStore& store) {
    if (store.source() == LibrarySource::photos) {
        return photoLibraryScope;
    }
    const std::optional<QString>& folder = store.query().folderPath;
    return folder && !folder->isEmpty() ? store.root() + QLatin1Char('/') + *folder : store.root();
}

}  // namespace

LibraryScopeLabel::LibraryScopeLabel(LumivexStore& store, QWidget* parent)
    : QWidget(parent), store_(store) {
    setFont(BrowserFonts::system(10));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void LibraryScopeLabel::refresh() {
    const LibrarySource source = store_.source();
    QString text = source == LibrarySource::none ? QString() : scopeText(store_);
    QString symbol = source == LibrarySource::photos   ? QStringLiteral("icloud")
                     : source == LibrarySource::folder ? QStringLiteral("folder")
                                                       : QString();
    setToolTip(source == LibrarySource::none ? QString() : scopeHelp(store_));
    setVisible(source != LibrarySource::none);
    // The heading is laid out again only when the label's size may have changed.
    if (text == text_ && symbol == symbol_) {
        return;
    }
    text_ = std::move(text);
    symbol_ = std::move(symbol);
    updateGeometry();
    update();
}

// The whole line's width, rounded up: a width rounded to the nearest pixel may lack a fraction
// of one, and the line would be shortened with room to spare beside it.
QSize LibraryScopeLabel::sizeHint() const {
    const int line = static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance(text_)));
    return {symbolSize + symbolSpacing + line, std::max(symbolSize, fontMetrics().height())};
}

QSize LibraryScopeLabel::minimumSizeHint() const {
    return {symbolSize + symbolSpacing + fontMetrics().horizontalAdvance(QStringLiteral("…")) * 3,
            sizeHint().height()};
}

void LibraryScopeLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor colour = BrowserPalette::secondaryText();
    const QRectF mark(0, (height() - symbolSize) / 2.0, symbolSize, symbolSize);
    BrowserIcons::paint(painter, symbol_, mark, colour);
    const int left = symbolSize + symbolSpacing;
    painter.setPen(colour);
    painter.drawText(QRect(left, 0, width() - left, height()), Qt::AlignLeft | Qt::AlignVCenter,
                     shownText());
}

QString LibraryScopeLabel::shownText() const {
    return QFontMetricsF(font()).elidedText(text_, Qt::ElideMiddle,
                                            width() - symbolSize - symbolSpacing);
}

}  // namespace lumivex

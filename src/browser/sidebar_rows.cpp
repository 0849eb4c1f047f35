#include "browser/sidebar_rows.h"

#include "browser/browser_fonts.h"
#include "browser/browser_icons.h"
#include "browser/browser_palette.h"

#include <QPainter>
#include <QPainterPath>

namespace lumivex {

NavRow::NavRow(const QString& title, const QString& icon, std::optional<qsizetype> count,
               bool selected, QWidget* parent)
    : QAbstractButton(parent), icon_(icon), count_(count), selected_(selected) {
    setText(title);
    setAccessibleName(title);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setFont(BrowserFonts::system(count ? 12 : 11));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void NavRow::setState(std::optional<qsizetype> count, bool selected) {
    if (count == count_ && selected == selected_) {
        return;
    }
    count_ = count;
    selected_ = selected;
    update();
}

QSize NavRow::sizeHint() const {
    return {160, fontMetrics().height() + 18};
}

void NavRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (selected_) {
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), 6, 6);
        painter.fillPath(path, BrowserPalette::mint(0.1));
    }
    const QColor foreground = selected_ ? BrowserPalette::mint()
                              : count_
                                  ? BrowserPalette::withOpacity(BrowserPalette::primaryText(), 0.82)
                                  : BrowserPalette::secondaryText();
    const double middle = height() / 2.0;
    BrowserIcons::paint(painter, icon_, QRectF(10, middle - 7, 16, 14), foreground);
    int right = width() - 10;
    if (count_) {
        const QString digits = QString::number(*count_);
        painter.setFont(BrowserFonts::system(10, QFont::Normal, BrowserFonts::Design::monospaced));
        const int digitsWidth = painter.fontMetrics().horizontalAdvance(digits);
        painter.setPen(selected_ ? BrowserPalette::mint() : BrowserPalette::secondaryText());
        painter.drawText(QRectF(right - digitsWidth, 0, digitsWidth, height()), Qt::AlignVCenter,
                         digits);
        right -= digitsWidth + 3;
    }
    painter.setFont(font());
    painter.setPen(foreground);
    const QRectF titleBox(36, 0, right - 36, height());
    painter.drawText(
        titleBox, Qt::AlignVCenter | Qt::AlignLeft,
        fontMetrics().elidedText(text(), Qt::ElideRight, static_cast<int>(titleBox.width())));
}

SourceOption::SourceOption(const QString& title, const QString& detail, const QString& icon,
                           bool selected, QWidget* parent)
    : QAbstractButton(parent), detail_(detail), icon_(icon), selected_(selected) {
    setText(title);
    setAccessibleName(title);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize SourceOption::sizeHint() const {
    return {300, 54};
}

void SourceOption::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (underMouse() && isEnabled()) {
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), 6, 6);
        painter.fillPath(path, BrowserPalette::white(0.05));
    }
    const double opacity = isEnabled() ? 1.0 : 0.4;
    painter.setOpacity(opacity);
    BrowserIcons::paint(painter, icon_, QRectF(10, height() / 2.0 - 10, 24, 20),
                        BrowserPalette::mint());
    const int textLeft = 10 + 24 + 12;
    const int textRight = width() - (selected_ ? 34 : 10);
    painter.setFont(BrowserFonts::system(13, QFont::Medium));
    painter.setPen(BrowserPalette::primaryText());
    const QFontMetrics titleMetrics = painter.fontMetrics();
    painter.drawText(QRect(textLeft, 10, textRight - textLeft, 18),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     titleMetrics.elidedText(text(), Qt::ElideRight, textRight - textLeft));
    painter.setFont(BrowserFonts::system(10));
    painter.setPen(BrowserPalette::secondaryText());
    painter.drawText(
        QRect(textLeft, 31, textRight - textLeft, 14), Qt::AlignLeft | Qt::AlignVCenter,
        painter.fontMetrics().elidedText(detail_, Qt::ElideMiddle, textRight - textLeft));
    if (selected_) {
        BrowserIcons::paint(painter, QStringLiteral("checkmark"),
                            QRectF(width() - 26.0, height() / 2.0 - 6, 12, 12),
                            BrowserPalette::mint());
    }
}

}  // namespace lumivex

#include "browser/filter_chip.h"

#include "browser/browser_fonts.h"
#include "browser/browser_palette.h"

#include <QPainter>
#include <QPainterPath>

namespace lumivex {

namespace {

constexpr int horizontalPadding = 10;
constexpr int chipHeight = 28;
constexpr double markStroke = 1.7;  // the weight of a bold 8-point "×"

}  // namespace

FilterChip::FilterChip(const QString& title, QWidget* parent) : QPushButton(title, parent) {
    setFont(BrowserFonts::system(11));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setFixedHeight(chipHeight);
    setAttribute(Qt::WA_Hover);
}

QSize FilterChip::sizeHint() const {
    const int title = fontMetrics().horizontalAdvance(text());
    return {horizontalPadding + title + markSpacing + markSize + horizontalPadding, chipHeight};
}

void FilterChip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF capsule = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double radius = capsule.height() / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(BrowserPalette::mint(underMouse() || isDown() ? 0.18 : 0.1));
    painter.drawRoundedRect(capsule, radius, radius);

    painter.setPen(BrowserPalette::mint());
    painter.setFont(font());
    const int textWidth = fontMetrics().horizontalAdvance(text());
    const QRect textBox(horizontalPadding, 0, textWidth, chipHeight);
    painter.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter, text());

    const double left = textBox.right() + 1 + markSpacing;
    const double top = (chipHeight - markSize) / 2.0;
    QPainterPath mark;
    mark.moveTo(left, top);
    mark.lineTo(left + markSize, top + markSize);
    mark.moveTo(left + markSize, top);
    mark.lineTo(left, top + markSize);
    painter.strokePath(mark, QPen(BrowserPalette::mint(), markStroke, Qt::SolidLine, Qt::RoundCap));
}

}  // namespace lumivex

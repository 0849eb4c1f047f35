#include "browser/media_card_layout.h"

#include "browser/browser_fonts.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace lumivex {

QFont MediaCardLayout::nameFont() {
    return BrowserFonts::system(12, QFont::Medium);
}

QFont MediaCardLayout::kindFont() {
    return BrowserFonts::system(9);
}

QFont MediaCardLayout::valuesFont() {
    return BrowserFonts::system(10);
}

QFont MediaCardLayout::badgeFont() {
    return BrowserFonts::system(10, QFont::Normal, BrowserFonts::Design::monospaced);
}

double MediaCardLayout::nameHeight() {
    static const double height = std::ceil(QFontMetricsF(nameFont()).height());
    return height;
}

double MediaCardLayout::rowHeight() {
    static const double height = std::max(starSide, std::ceil(QFontMetricsF(kindFont()).height()));
    return height;
}

double MediaCardLayout::valuesHeight() {
    static const double height = std::ceil(QFontMetricsF(valuesFont()).height());
    return height;
}

double MediaCardLayout::infoHeight() {
    return 2 * padding + nameHeight() + lineSpacing + rowHeight() + lineSpacing + valuesHeight();
}

MediaCardLayout::MediaCardLayout(const QRectF& card) : card_(card) {}

QRectF MediaCardLayout::thumbnail() const {
    return {card_.left(), card_.top(), card_.width(), card_.width()};
}

QRectF MediaCardLayout::name() const {
    return {card_.left() + padding, card_.top() + card_.width() + padding,
            card_.width() - 2 * padding, nameHeight()};
}

QRectF MediaCardLayout::starRow() const {
    const QRectF above = name();
    return {above.left(), above.bottom() + lineSpacing, above.width(), rowHeight()};
}

QRectF MediaCardLayout::star(int number) const {
    const QRectF row = starRow();
    return {row.left() + (number - 1) * (starSide + starSpacing),
            row.top() + (row.height() - starSide) / 2, starSide, starSide};
}

std::optional<int> MediaCardLayout::starAt(QPointF point) const {
    for (int number = 1; number <= 5; ++number) {
        // The buttons take the spacing between them, so a click never falls through a gap.
        const QRectF target = star(number).adjusted(-starSpacing / 2, -2, starSpacing / 2, 2);
        if (target.contains(point)) {
            return number;
        }
    }
    return std::nullopt;
}

QRectF MediaCardLayout::values() const {
    const QRectF above = starRow();
    return {above.left(), above.bottom() + lineSpacing, above.width(), valuesHeight()};
}

}  // namespace lumivex

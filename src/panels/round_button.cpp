#include "panels/round_button.h"

#include "media_views/view_style.h"
#include "panels/panel_symbol.h"
#include "panels/utility_palette.h"

#include <QPainter>

namespace lumivex {

RoundButton::RoundButton(const QString& symbol, int diameter, QWidget* parent)
    : QPushButton(parent), glyph_(PanelSymbol::glyph(symbol)) {
    setFixedSize(diameter, diameter);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setProperty("symbol", symbol);
}

void RoundButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(UtilityPalette::white(isDown() ? 0.12 : underMouse() ? 0.09 : 0.055));
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    painter.setFont(ViewStyle::systemFont(11, QFont::DemiBold));
    painter.setPen(UtilityPalette::secondaryText());
    painter.drawText(rect(), Qt::AlignCenter, glyph_);
}

}  // namespace lumivex

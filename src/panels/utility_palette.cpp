#include "panels/utility_palette.h"

#include "store/lumivex_theme.h"

#include <QPainter>
#include <QWidget>

namespace lumivex::UtilityPalette {

QColor canvas() {
    return LumivexTheme::canvas();
}

QColor panel() {
    return LumivexTheme::panel();
}

QColor mint() {
    return LumivexTheme::accent();
}

QColor white(double opacity) {
    QColor colour(Qt::white);
    colour.setAlphaF(static_cast<float>(opacity));
    return colour;
}

QColor secondaryText() {
    return white(0.55);
}

QColor tertiaryText() {
    return white(0.33);
}

void paintPanelBackground(QWidget& panel) {
    QPainter painter(&panel);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(white(0.09), 1));
    painter.setBrush(canvas());
    painter.drawRoundedRect(QRectF(panel.rect()).adjusted(0.5, 0.5, -0.5, -0.5), 16, 16);
}

}  // namespace lumivex::UtilityPalette

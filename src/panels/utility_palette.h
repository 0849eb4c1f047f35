#pragma once

#include <QColor>

class QWidget;

namespace lumivex {

// The three fixed colours of the utility panels and the rows inside them, the theme's canvas,
// panel and accent, the translucent whites their borders and fills are drawn with, and the
// panels' own background.
namespace UtilityPalette {

QColor canvas();
QColor panel();
QColor mint();
// White at `opacity`: the panels' borders, boxes and key caps.
QColor white(double opacity);
// The dimmer text of secondary and tertiary lines.
QColor secondaryText();
QColor tertiaryText();
// Paints `panel` as a utility panel: the canvas in a rounded frame with a faint white border.
void paintPanelBackground(QWidget& panel);

}  // namespace UtilityPalette
}  // namespace lumivex

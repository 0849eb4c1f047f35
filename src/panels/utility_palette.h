#pragma once

#include <QColor>

namespace lumivex {

// The three fixed colours of the utility panels and the rows inside them, the theme's canvas,
// panel and accent, and the translucent whites their borders and fills are drawn with.
namespace UtilityPalette {

QColor canvas();
QColor panel();
QColor mint();
// White at `opacity`: the panels' borders, boxes and key caps.
QColor white(double opacity);
// The dimmer text of secondary and tertiary lines.
QColor secondaryText();
QColor tertiaryText();

}  // namespace UtilityPalette
}  // namespace lumivex

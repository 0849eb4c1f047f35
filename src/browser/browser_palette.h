#pragma once

#include <QColor>
#include <QPalette>

namespace lumivex {

// Every colour the main window draws with, in one place: the three window colours of the theme
// and the translucent shades the regions lay over them. The window is always dark, so "primary"
// and "secondary" text are light shades rather than the platform's. Main thread.
namespace BrowserPalette {

const QColor& canvas();  // the window background
const QColor& panel();   // side surfaces such as the sidebar
const QColor& mint();    // the accent and tint

// `color` at `opacity` (0...1) of its own alpha.
QColor withOpacity(const QColor& color, double opacity);
QColor mint(double opacity);
QColor white(double opacity);
QColor black(double opacity);

QColor primaryText();
QColor secondaryText();
QColor tertiaryText();
QColor divider();

// The application's dark palette, the one LumivexStyle installs: canvas windows, mint highlights.
QPalette applicationPalette();

}  // namespace BrowserPalette
}  // namespace lumivex

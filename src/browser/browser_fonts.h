#pragma once

#include <QFont>

namespace lumivex {

// The window's fonts, sized in pixels (the sizes the layout is drawn for, independent of the
// screen's dots per inch), with a Korean face first so Hangul never falls back to boxes.
namespace BrowserFonts {

enum class Design { standard, monospaced };

QFont system(double pixelSize, QFont::Weight weight = QFont::Normal,
             Design design = Design::standard);

}  // namespace BrowserFonts
}  // namespace lumivex

#include "browser/browser_palette.h"

#include "media_views/lumivex_style.h"
#include "store/lumivex_theme.h"

namespace lumivex::BrowserPalette {

const QColor& canvas() {
    static const QColor value = LumivexTheme::canvas();
    return value;
}

const QColor& panel() {
    static const QColor value = LumivexTheme::panel();
    return value;
}

const QColor& mint() {
    static const QColor value = LumivexTheme::accent();
    return value;
}

QColor withOpacity(const QColor& color, double opacity) {
    QColor result = color;
    result.setAlphaF(static_cast<float>(color.alphaF() * opacity));
    return result;
}

QColor mint(double opacity) {
    return withOpacity(mint(), opacity);
}

QColor white(double opacity) {
    return withOpacity(QColor(255, 255, 255), opacity);
}

QColor black(double opacity) {
    return withOpacity(QColor(0, 0, 0), opacity);
}

QColor primaryText() {
    return white(0.88);
}

QColor secondaryText() {
    return white(0.55);
}

QColor tertiaryText() {
    return white(0.3);
}

QColor divider() {
    return white(0.1);
}

QPalette applicationPalette() {
    return LumivexStyle::applicationPalette();
}

}  // namespace lumivex::BrowserPalette

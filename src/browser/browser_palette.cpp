#include "browser/browser_palette.h"

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
    QPalette palette;
    palette.setColor(QPalette::Window, canvas());
    palette.setColor(QPalette::WindowText, primaryText());
    palette.setColor(QPalette::Base, panel());
    palette.setColor(QPalette::AlternateBase, canvas());
    palette.setColor(QPalette::ToolTipBase, panel());
    palette.setColor(QPalette::ToolTipText, primaryText());
    palette.setColor(QPalette::PlaceholderText, tertiaryText());
    palette.setColor(QPalette::Text, primaryText());
    palette.setColor(QPalette::Button, panel().lighter(125));
    palette.setColor(QPalette::ButtonText, primaryText());
    palette.setColor(QPalette::BrightText, mint());
    palette.setColor(QPalette::Highlight, mint());
    palette.setColor(QPalette::HighlightedText, canvas());
    palette.setColor(QPalette::Link, mint());
    palette.setColor(QPalette::Mid, divider());
    palette.setColor(QPalette::Dark, canvas().darker(130));
    palette.setColor(QPalette::Light, panel().lighter(160));
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, tertiaryText());
    }
    return palette;
}

}  // namespace lumivex::BrowserPalette

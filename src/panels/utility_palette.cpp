#include "panels/utility_palette.h"

#include "store/lumivex_theme.h"

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

}  // namespace lumivex::UtilityPalette

#include "store/lumivex_theme.h"

namespace lumivex::LumivexTheme {

const QColor& accent() {
    static const QColor value = QColor::fromRgbF(0.5f, 0.88f, 0.72f, 1.0f);
    return value;
}

const QColor& canvas() {
    static const QColor value = QColor::fromRgbF(0.075f, 0.085f, 0.1f, 1.0f);
    return value;
}

const QColor& panel() {
    static const QColor value = QColor::fromRgbF(0.095f, 0.108f, 0.124f, 1.0f);
    return value;
}

}  // namespace lumivex::LumivexTheme

#include "panels/preview_keyboard_action.h"

namespace lumivex::PreviewKeyboardAction {

namespace {

constexpr Qt::KeyboardModifiers held =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

}  // namespace

std::optional<int> rating(const QString& characters, Qt::KeyboardModifiers modifiers,
                          bool editingText, bool menuOpen) {
    if (editingText || menuOpen || (modifiers & held) != Qt::KeyboardModifiers()) {
        return std::nullopt;
    }
    if (characters.size() != 1) {
        return std::nullopt;
    }
    const QChar digit = characters.front();
    if (digit < u'0' || digit > u'5') {
        return std::nullopt;
    }
    return digit.unicode() - u'0';
}

std::optional<GridNavigationDirection> move(int key, Qt::KeyboardModifiers modifiers) {
    const Qt::KeyboardModifiers pressed = modifiers & held;
    if (pressed == Qt::ControlModifier) {
        return arrowDirection(key);
    }
    if (pressed == Qt::KeyboardModifiers()) {
        if (key == Qt::Key_Comma) {
            return GridNavigationDirection::left;
        }
        if (key == Qt::Key_Period) {
            return GridNavigationDirection::right;
        }
    }
    return std::nullopt;
}

}  // namespace lumivex::PreviewKeyboardAction

#include "browser/grid_keyboard_action.h"

namespace lumivex {

namespace {

constexpr Qt::KeyboardModifiers counted =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

std::optional<GridNavigationDirection> arrow(int key) {
    switch (key) {
        case Qt::Key_Left:
            return GridNavigationDirection::left;
        case Qt::Key_Right:
            return GridNavigationDirection::right;
        case Qt::Key_Down:
            return GridNavigationDirection::down;
        case Qt::Key_Up:
            return GridNavigationDirection::up;
        default:
            return std::nullopt;
    }
}

}  // namespace

std::optional<GridKeyboardAction> GridKeyboardAction::resolve(int key, const QString& text,
                                                              Qt::KeyboardModifiers modifiers,
                                                              qsizetype selectionCount,
                                                              bool editingText, bool menuOpen) {
    if (editingText || menuOpen) {
        return std::nullopt;
    }
    const Qt::KeyboardModifiers held = modifiers & counted;
    if (held == Qt::NoModifier) {
        if (key == Qt::Key_Backspace || key == Qt::Key_Delete) {
            return GridKeyboardAction{Kind::deleteSelection};
        }
        if (selectionCount != 1) {
            return std::nullopt;
        }
        if (const auto direction = arrow(key)) {
            return GridKeyboardAction{Kind::move, *direction};
        }
        if (text.size() == 1 && text.front() >= u'0' && text.front() <= u'5') {
            return GridKeyboardAction{Kind::rate, {}, text.front().unicode() - u'0'};
        }
        return std::nullopt;
    }
    if (held == Qt::ControlModifier && key == Qt::Key_A) {
        return GridKeyboardAction{Kind::selectAll};
    }
    return std::nullopt;
}

}  // namespace lumivex

#include "browser/grid_keyboard_action.h"

namespace lumivex {

namespace {

constexpr Qt::KeyboardModifiers counted =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

std::optional<GridKeyboardAction::Kind> scrollKind(int key, Qt::KeyboardModifiers held) {
    using Kind = GridKeyboardAction::Kind;
    if (held == Qt::NoModifier && key == Qt::Key_PageUp) {
        return Kind::scrollPageUp;
    }
    if (held == Qt::NoModifier && key == Qt::Key_PageDown) {
        return Kind::scrollPageDown;
    }
    if (held != Qt::NoModifier && held != Qt::ControlModifier) {
        return std::nullopt;
    }
    if (key == Qt::Key_Home) {
        return Kind::scrollToTop;
    }
    return key == Qt::Key_End ? std::optional(Kind::scrollToBottom) : std::nullopt;
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
    if (const auto scroll = scrollKind(key, held)) {
        return GridKeyboardAction{*scroll};
    }
    if (held == Qt::NoModifier) {
        if (key == Qt::Key_Backspace || key == Qt::Key_Delete) {
            return GridKeyboardAction{Kind::deleteSelection};
        }
        if (selectionCount != 1) {
            return std::nullopt;
        }
        if (const auto direction = arrowDirection(key)) {
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

#pragma once

#include "store/grid_navigation.h"

#include <QString>
#include <Qt>

#include <optional>

namespace lumivex {

// What a key press means to the grid: move the single selection, rate it, delete the selection,
// select everything visible, or scroll a page or to an end as a scroll area does.
struct GridKeyboardAction {
    enum class Kind {
        move,
        rate,
        deleteSelection,
        selectAll,
        scrollPageUp,
        scrollPageDown,
        scrollToTop,
        scrollToBottom
    };

    Kind kind = Kind::move;
    GridNavigationDirection direction = GridNavigationDirection::left;
    int rating = 0;

    // The action of a key, if any. Nothing while text is being edited or a menu is open. Only
    // Shift, Ctrl, Alt and Meta count as modifiers (the keypad flag does not): Delete and
    // Backspace alone delete; Page Up and Page Down alone, Home and End alone or with Ctrl scroll,
    // whatever the selection; arrows and a single digit 0 to 5 alone act on exactly one selected
    // item; Ctrl+A alone selects all.
    static std::optional<GridKeyboardAction> resolve(int key, const QString& text,
                                                     Qt::KeyboardModifiers modifiers,
                                                     qsizetype selectionCount, bool editingText,
                                                     bool menuOpen);

    bool operator==(const GridKeyboardAction&) const = default;
};

}  // namespace lumivex

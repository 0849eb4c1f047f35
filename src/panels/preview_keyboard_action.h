#pragma once

#include "store/grid_navigation.h"

#include <QString>
#include <Qt>

#include <optional>

namespace lumivex {

// What a key does in the preview: a plain digit 0 to 5 (main row or keypad) rates the item;
// Ctrl with an arrow moves in the grid's directions and the plain ',' and '.' keys move to the
// previous and next item. Plain arrows and Space are never the preview's: the player takes them.
namespace PreviewKeyboardAction {

// Nothing while text is edited or a menu is open, with Shift, Ctrl, Alt or Meta held, or for
// anything but exactly one of the characters "0" to "5".
std::optional<int> rating(const QString& characters, Qt::KeyboardModifiers modifiers,
                          bool editingText, bool menuOpen);
std::optional<GridNavigationDirection> move(int key, Qt::KeyboardModifiers modifiers);

}  // namespace PreviewKeyboardAction
}  // namespace lumivex

#pragma once

#include <QString>

#include <functional>

namespace lumivex {

// What the main window offers the menu's Undo and Redo while no text field is edited.
struct MetadataEditingActions {
    bool canUndo = false;
    bool canRedo = false;
    QString undoTitle;
    QString redoTitle;
    std::function<void()> undo;
    std::function<void()> redo;
};

}  // namespace lumivex

#pragma once

#include <QPointer>
#include <QWidget>

namespace lumivex {

// What the active window is editing at this moment: the focused text editor, if any (a line
// edit, a text edit, a spin box's or an editable combo box's field), and whether library
// commands may act (an active window with no floating menu panel, no sheet and no modal dialog
// over it). Computed on demand, never kept across events. Main thread.
struct NativeEditingContext {
    bool editingText = false;
    // The widget that holds the text and its undo history: a QLineEdit, QTextEdit or
    // QPlainTextEdit.
    QPointer<QWidget> textEditor;
    bool permitsMetadata = false;

    static NativeEditingContext current();

    // The text editor's own history and selection; false and nothing without one.
    bool canUndo() const;
    bool canRedo() const;
    bool canSelectAll() const;
    void undo() const;
    void redo() const;
    void selectAll() const;
};

}  // namespace lumivex

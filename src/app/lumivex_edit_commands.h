#pragma once

#include "browser/metadata_editing_actions.h"

#include <QObject>

#include <functional>
#include <optional>

class QAction;
class QMenu;

namespace lumivex {

class NativeEditingState;

// The Edit menu's Undo (Ctrl+Z) and Redo (Ctrl+Shift+Z), shared by the two histories: while text
// is edited they act on the text editor's own history, otherwise on the library's metadata
// history through the main window's actions, and only when nothing covers the window. Titles and
// enabled states follow the editing snapshot and the window's actions; each action reads the
// state afresh when it runs. Main thread.
class LumivexEditCommands final : public QObject {
    Q_OBJECT

public:
    // The main window's metadata actions while it is the active window and offers them.
    using FocusedMetadata = std::function<std::optional<MetadataEditingActions>()>;

    LumivexEditCommands(FocusedMetadata metadata, QMenu& menu, QObject* parent = nullptr);
    ~LumivexEditCommands() override;

    QAction* undoAction() const { return undo_; }
    QAction* redoAction() const { return redo_; }

    // Runs the undo or the redo that the state of this moment allows.
    void perform(bool redo);
    // Recomputes the titles and enabled states.
    void sync();

private:
    FocusedMetadata metadata_;
    NativeEditingState* native_ = nullptr;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
};

}  // namespace lumivex

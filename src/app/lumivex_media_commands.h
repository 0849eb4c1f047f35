#pragma once

#include "app/lumivex_edit_commands.h"

#include <QList>
#include <QObject>

#include <functional>

class QAction;
class QMenu;

namespace lumivex {

class LumivexStore;
class NativeEditingState;

// The "미디어" menu: play or preview (Space), select all (Ctrl+A), delete the selection and the
// six ratings (Ctrl+0 to Ctrl+5). Its library items act only while the main window offers its
// metadata actions, nothing covers it, no text is edited, a library is open and the store is
// neither locked nor deleting nor asking to confirm a deletion; while text is edited, select all
// selects the editor's text. A disabled item leaves its key to the focused widget. Each action
// checks the state afresh when it runs. Main thread.
class LumivexMediaCommands final : public QObject {
    Q_OBJECT

public:
    // `store` must outlive the commands; `preview` toggles the preview of the selection.
    LumivexMediaCommands(LumivexStore& store, LumivexEditCommands::FocusedMetadata metadata,
                         std::function<void()> preview, QMenu& menu, QObject* parent = nullptr);
    ~LumivexMediaCommands() override;

    QAction* previewAction() const { return preview_; }
    QAction* selectAllAction() const { return selectAll_; }
    QAction* deleteAction() const { return delete_; }
    // "별점 지우기", then "1점" to "5점".
    const QList<QAction*>& ratingActions() const { return ratings_; }

    // Whether library commands may act, from the published snapshot and the store.
    bool lumivexEnabled() const;
    // Runs `action` only when the library may be edited now, judged afresh.
    void performInLumivex(const std::function<void()>& action);
    void selectAll();
    void sync();

private:
    bool storeAccepts() const;
    void addItems(QMenu& menu);

    LumivexStore& store_;
    LumivexEditCommands::FocusedMetadata metadata_;
    std::function<void()> requestPreview_;
    NativeEditingState* native_ = nullptr;
    QAction* preview_ = nullptr;
    QAction* selectAll_ = nullptr;
    QAction* delete_ = nullptr;
    QList<QAction*> ratings_;
};

}  // namespace lumivex

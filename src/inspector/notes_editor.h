#pragma once

#include "model/media_item.h"

#include <QWidget>

#include <optional>

class QPlainTextEdit;
class QToolButton;

namespace lumivex {

class LumivexStore;

// The notes section of one item: a draft of its notes, stored with "저장", Ctrl+Return, or when
// the section goes away. The draft follows the stored notes (an undo, a redo) until the user
// changes it, and only a draft the user changed is stored when the section goes away, so an
// undone text is never written back. Main thread.
class NotesEditor : public QWidget {
    Q_OBJECT

public:
    NotesEditor(LumivexStore& store, const MediaItem& item, QWidget* parent = nullptr);

    // The item as the inspector now has it.
    void setItem(const MediaItem& item);
    const QUuid& itemID() const { return item_.id; }
    // A changed draft still to be stored for its item.
    struct Draft {
        QUuid itemID;
        QString text;
    };
    // The section is going away: the draft the user changed, for the inspector to store once its
    // rebuild is over, so that the store never runs inside the rebuild or a destructor.
    std::optional<Draft> finish();
    // Stores a changed draft now, before the library it belongs to goes or the application ends.
    void storeChangedDraft();

    QString draft() const;
    bool draftChanged() const { return changed_; }
    QPlainTextEdit* field() const { return field_; }
    QToolButton* saveButton() const { return save_; }

    // Stores the draft now.
    void saveDraft();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void typed();
    void showDraft(const QString& text);
    void fitHeight();

    LumivexStore& store_;
    MediaItem item_;
    bool changed_ = false;
    bool finished_ = false;
    QPlainTextEdit* field_;
    QToolButton* save_;
};

}  // namespace lumivex

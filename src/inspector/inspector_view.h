#pragma once

#include "browser/store_region.h"
#include "media_views/media_thumbnail.h"

#include <QHash>
#include <QPointer>
#include <QSet>
#include <QUuid>

#include <functional>
#include <memory>

class QLabel;
class QScrollArea;
class QToolButton;
class QVBoxLayout;

namespace lumivex {

class ActiveProperty;
class LabelEditor;
class NotesEditor;
class RatingEditor;
class SelectionHoldings;
class SelectionStorageLocationView;

// The column on the right of the main window: what is selected, where its classification is
// kept, one editor per property of the editor scope, the notes and the reveal button for one
// item, and the reminder that edits are saved at once. It reads the store on every redraw and
// keeps no metadata. Redraws run once per event-loop turn, never inside a store signal or an
// editor's own handler; editors are kept by property identity and the notes editor by item
// identity, so an open picker or a draft survives a redraw. Main thread.
class InspectorView : public StoreRegion {
    Q_OBJECT

public:
    struct Services {
        LumivexStore& store;
        WindowState& state;
        MediaThumbnail::Services thumbnails;
        std::function<void()> showProperties;
    };

    explicit InspectorView(Services services, QWidget* parent = nullptr);
    ~InspectorView() override;

    ActiveProperty& activeProperty() const { return *active_; }
    QLabel* countLabel() const { return count_; }
    QToolButton* propertiesButton() const { return properties_; }
    QWidget* emptyState() const { return empty_; }
    QScrollArea* content() const { return scroll_; }
    QWidget* footer() const { return footer_; }
    QWidget* thumbnail() const;
    QLabel* nameLabel() const { return name_; }
    QLabel* kindLabel() const { return kind_; }
    QWidget* banner() const { return banner_; }
    SelectionStorageLocationView* location() const { return location_; }
    RatingEditor* ratingEditor() const;
    LabelEditor* labelEditor(const QUuid& property) const;
    // The sections in their order.
    QList<QWidget*> sections() const;
    NotesEditor* notesEditor() const { return notes_; }
    QToolButton* revealButton() const { return reveal_; }

protected:
    void refresh() override;
    void refreshLoading() override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildHeader();
    QWidget* buildEmptyState();
    void buildContent();
    QWidget* buildFooter();
    void refreshSummary(const MediaItems& selected);
    void refreshSections();
    void refreshNotes(const MediaItems& selected);
    void showActivePicker();
    // Shows the count of selected items, or the empty state without them.
    void showSelectedCount(qsizetype count);
    // Drops the notes editor; a draft it leaves is stored once this turn is over.
    void finishNotes();
    void storeFinishedNotes();
    // Stores every draft at once, before the library changes or the application ends.
    void storePendingNotes();

    Services services_;
    ActiveProperty* active_;
    std::unique_ptr<SelectionHoldings> holdings_;
    QLabel* count_ = nullptr;
    QToolButton* properties_ = nullptr;
    QWidget* empty_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QWidget* footer_ = nullptr;
    QWidget* single_ = nullptr;
    MediaThumbnail* thumbnail_ = nullptr;
    QLabel* name_ = nullptr;
    QLabel* kind_ = nullptr;
    QWidget* banner_ = nullptr;
    SelectionStorageLocationView* location_ = nullptr;
    QVBoxLayout* sectionsLayout_ = nullptr;
    QHash<QUuid, QWidget*> sections_;
    QList<QUuid> order_;
    QWidget* itemPart_ = nullptr;
    QVBoxLayout* notesSlot_ = nullptr;
    NotesEditor* notes_ = nullptr;
    QList<std::pair<QUuid, QString>> finishedNotes_;
    QToolButton* reveal_ = nullptr;
    MediaItem revealed_;
    QSet<QUuid> shownSelection_;
};

}  // namespace lumivex

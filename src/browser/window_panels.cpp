#include "browser/window_panels.h"

#include "browser/lumivex_view.h"
#include "browser/modal_overlay.h"
#include "browser/sheet_slot.h"
#include "browser/window_state.h"
#include "media_views/video_player_session.h"
#include "panels/deleted_records_view.h"
#include "panels/preview_view.h"
#include "panels/resizable_media_preview.h"
#include "panels/shortcut_help_view.h"
#include "panels/video_duration_sheet.h"
#include "store/lumivex_store.h"

#include <QAction>
#include <QDialog>

namespace lumivex {

WindowPanels::WindowPanels(LumivexStore& store, UserDefaults& defaults, WindowState& state,
                           LumivexView& window, Slots places)
    : QObject(&window),
      store_(store),
      defaults_(defaults),
      state_(state),
      window_(window),
      slots_(places) {
    slots_.utility->setContentFactory(
        [this](std::function<void()> close) { return makeUtilityPanel(std::move(close)); });
    slots_.duration->setContentFactory([this](std::function<void()> close) {
        return new VideoDurationSheet(
            store_.query().videoDuration,
            [this](const VideoDurationRange& range) { store_.selectVideoDuration(range); },
            std::move(close));
    });
    connect(&store_, &LumivexStore::libraryChanged, this, &WindowPanels::libraryChanged);
    connect(&store_, &LumivexStore::deletedArchiveChanged, this, [this] {
        if (deleted_) {
            deleted_->setArchive(store_.deletedArchive());
        }
    });
}

// The panes go before the session whose player view they may hold.
WindowPanels::~WindowPanels() {
    slots_.preview->setContent(nullptr);
}

void WindowPanels::setPreviewServices(PreviewServices services) {
    services_ = std::move(services);
}

void WindowPanels::setPhotoLibrary(PhotoLibrary& photos) {
    library_ = &photos;
    if (services_) {
        services_->library = &photos;
    }
}

// The player view and its multimedia start with the first preview, not with the window.
const PreviewServices& WindowPanels::services() {
    if (!services_) {
        session_ = std::make_unique<VideoPlayerSession>(defaults_);
        services_ = PreviewServices::standard(defaults_, library_, *session_);
    }
    return *services_;
}

QWidget* WindowPanels::makeUtilityPanel(std::function<void()> close) {
    if (state_.utilityPanel() == LumivexUtilityPanel::deleted) {
        deleted_ = new DeletedRecordsView(store_.deletedArchive(),
                                          store_.source() == LibrarySource::photos, store_.clock(),
                                          std::move(close));
        return deleted_;
    }
    auto* shortcuts = new ShortcutHelpView(defaults_, std::move(close));
    // The sheet is modal over the window, whose menu no longer hears the key: the sheet hears it,
    // and the key closes the panel that it opened.
    auto* toggle = new QAction(shortcuts);
    toggle->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Slash));
    connect(toggle, &QAction::triggered, &window_, &LumivexView::requestShortcuts);
    shortcuts->addAction(toggle);
    return shortcuts;
}

ResizableMediaPreview* WindowPanels::previewCard() const {
    return card_;
}

DeletedRecordsView* WindowPanels::deletedRecords() const {
    return deleted_;
}

PreviewView* WindowPanels::previewPane() const {
    return card_ ? static_cast<PreviewView*>(card_->content()) : nullptr;
}

// One card while the preview is up; its pane is made again only for another item.
void WindowPanels::syncPreview() {
    const std::optional<MediaItem>& item = state_.preview();
    if (!item) {
        if (card_) {
            slots_.preview->setContent(nullptr);
        }
        return;
    }
    if (!card_) {
        card_ = new ResizableMediaPreview(
            defaults_,
            [this](GridNavigationDirection direction) { window_.movePreview(direction); },
            [this](int rating) {
                return state_.preview() && store_.setRating(rating, state_.preview()->id);
            },
            slots_.preview);
        slots_.preview->setContent(card_);
    }
    if (PreviewView* pane = previewPane(); pane != nullptr && pane->item().id == item->id) {
        pane->setItem(*item);
        return;
    }
    card_->setContent(new PreviewView(*item, store_.root() + QLatin1Char('/') + item->filename,
                                      services(), [this] { state_.setPreview(std::nullopt); }));
}

// The preview shows the library's current record of its item, and closes when the item is gone.
void WindowPanels::libraryChanged() {
    const std::optional<MediaItem>& shown = state_.preview();
    if (!shown) {
        return;
    }
    const MediaItem* current = store_.browseSnapshot().item(shown->id);
    state_.setPreview(current != nullptr ? std::optional<MediaItem>(*current) : std::nullopt);
}

}  // namespace lumivex

#include "browser/lumivex_view.h"

#include "browser/browser_area.h"
#include "browser/browser_palette.h"
#include "browser/deletion_alert.h"
#include "browser/error_alert.h"
#include "browser/footer.h"
#include "browser/header_toolbar.h"
#include "browser/media_grid_view.h"
#include "browser/modal_overlay.h"
#include "browser/sheet_slot.h"
#include "browser/sidebar.h"
#include "browser/window_panels.h"
#include "media_views/photos_setup_view.h"
#include "store/lumivex_store.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

namespace lumivex {

namespace {

QFrame* divider(Qt::Orientation orientation, QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(orientation == Qt::Horizontal ? QFrame::HLine : QFrame::VLine);
    line->setFixedSize(orientation == Qt::Horizontal ? QSize(QWIDGETSIZE_MAX, 1)
                                                     : QSize(1, QWIDGETSIZE_MAX));
    line->setStyleSheet(QStringLiteral("background: %1; border: none;")
                            .arg(BrowserPalette::divider().name(QColor::HexArgb)));
    return line;
}

// Whether the two queries differ in a part that filters (not in the sort).
bool filtersDiffer(const MediaQuery& a, const MediaQuery& b) {
    return a.search != b.search || a.kind != b.kind || a.videoDuration != b.videoDuration ||
           a.folderPath != b.folderPath || a.minimumRating != b.minimumRating ||
           a.facets != b.facets || a.emptyFacets != b.emptyFacets ||
           a.unratedOnly != b.unratedOnly || a.unclassifiedOnly != b.unclassifiedOnly;
}

}  // namespace

LumivexView::LumivexView(LumivexStore& store, UserDefaults& defaults, QWidget* parent)
    : QWidget(parent),
      store_(store),
      state_(defaults),
      lastQuery_(store.query()),
      overlayFocus_(*this, [this] { return keyboardGrid(); }),
      windowFocus_(*this, [this] { return keyboardGrid(); }) {
    setMinimumSize(1040, 650);
    buildMainContent();
    buildPresented(defaults);
    watchStore();
    stateChanged();
}

LumivexView::~LumivexView() = default;

void LumivexView::buildMainContent() {
    mainContent_ = new QWidget(this);
    auto* column = new QVBoxLayout(mainContent_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    header_ = new HeaderToolbar(store_, state_, mainContent_);
    column->addWidget(header_);
    column->addWidget(divider(Qt::Horizontal, mainContent_));
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    sidebar_ = new Sidebar(store_, state_, mainContent_);
    row->addWidget(sidebar_);
    row->addWidget(divider(Qt::Vertical, mainContent_));
    browser_ = new BrowserArea(store_, state_, mainContent_);
    row->addWidget(browser_, 1);
    inspectorDivider_ = divider(Qt::Vertical, mainContent_);
    row->addWidget(inspectorDivider_);
    inspector_ = new QWidget(mainContent_);
    inspector_->setFixedWidth(296);
    row->addWidget(inspector_);
    column->addLayout(row, 1);
    column->addWidget(divider(Qt::Horizontal, mainContent_));
    footer_ = new Footer(store_, state_, mainContent_);
    column->addWidget(footer_);
}

void LumivexView::buildPresented(UserDefaults& defaults) {
    propertyManagerOverlay_ = new ModalOverlay(
        0.4, [this] { state_.setPropertyManager(false); }, this);
    previewOverlay_ = new ModalOverlay(
        0.5, [this] { state_.setPreview(std::nullopt); }, this);
    categorySheet_ = new SheetSlot(
        this, [this] { return state_.categorySheet(); },
        [this] { state_.setCategorySheet(false); });
    durationSheet_ = new SheetSlot(
        this, [this] { return state_.durationSheet(); },
        [this] { state_.setDurationSheet(false); });
    photosSetup_ = new SheetSlot(
        this, [this] { return store_.showPhotosSetup(); },
        [this] { store_.setShowPhotosSetup(false); });
    utilitySheet_ = new SheetSlot(
        this, [this] { return state_.utilityPanel().has_value(); },
        [this] { state_.setUtilityPanel(std::nullopt); });
    deletionAlert_ = new DeletionAlert(store_, this);
    errorAlert_ = new ErrorAlert(store_, this);
    panels_ = new WindowPanels(store_, defaults, state_, *this,
                               {previewOverlay_, utilitySheet_, durationSheet_});
}

void LumivexView::watchStore() {
    connect(&state_, &WindowState::changed, this, &LumivexView::stateChanged);
    connect(&store_, &LumivexStore::showPhotosSetupChanged, photosSetup_, &SheetSlot::sync);
    connect(&store_, &LumivexStore::rootChanged, this, &LumivexView::libraryReplaced);
    connect(&store_, &LumivexStore::sourceChanged, this, &LumivexView::libraryReplaced);
    connect(&store_, &LumivexStore::queryChanged, this, &LumivexView::queryChanged);
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive) {
                    store_.cleanupArchivedMetadata();
                }
            });
}

void LumivexView::stateChanged() {
    const bool overlay = state_.propertyManager() || state_.preview();
    const bool overlayWasShown = !mainContent_->isEnabledTo(this);
    if (overlay && !overlayWasShown) {
        overlayFocus_.hold();
    }
    mainContent_->setEnabled(!overlay);
    panels_->syncPreview();
    propertyManagerOverlay_->setVisible(state_.propertyManager());
    previewOverlay_->setVisible(state_.preview().has_value());
    propertyManagerOverlay_->raise();
    previewOverlay_->raise();
    inspector_->setVisible(state_.showInspector());
    inspectorDivider_->setVisible(state_.showInspector());
    for (SheetSlot* sheet : {categorySheet_, durationSheet_, utilitySheet_}) {
        sheet->sync();
    }
    if (!overlay && overlayWasShown) {
        overlayFocus_.release();
    }
}

void LumivexView::libraryReplaced() {
    state_.setPreview(std::nullopt);
    state_.setUtilityPanel(std::nullopt);
}

void LumivexView::queryChanged() {
    const MediaQuery query = store_.query();
    const bool filtered = filtersDiffer(query, lastQuery_);
    lastQuery_ = query;
    if (filtered) {
        pruneSelection();
    }
}

void LumivexView::pruneSelection() {
    const QSet<QUuid>& selection = store_.selection();
    QSet<QUuid> kept;
    if (!selection.isEmpty()) {
        const QList<QUuid>& order = store_.visibleOrder();
        const QSet<QUuid> visible(order.begin(), order.end());
        for (const QUuid& id : selection) {
            if (visible.contains(id)) {
                kept.insert(id);
            }
        }
    }
    store_.setSelection(kept);
}

void LumivexView::setGrid(MediaGridView* grid) {
    browser_->setGrid(grid);
    connect(grid, &MediaGridView::columnsChanged, &state_, &WindowState::setPreviewColumns);
    connect(grid, &MediaGridView::previewRequested, this,
            [this](const MediaItem& item) { state_.setPreview(item); });
    state_.setPreviewColumns(std::max(grid->columns(), 1));
}

void LumivexView::setPhotosSetup(PhotoLibrary& photos, LumivexPhotoAccessGuide& guide) {
    photosSetup_->setDialogFactory([this, &photos, &guide](QWidget* window) {
        return new PhotosSetupView(
            store_, photos, guide, [this] { store_.showPhotosFolder(); }, window);
    });
    panels_->setPhotoLibrary(photos);
    // The store may have asked for the sheet before the window could show it.
    photosSetup_->sync();
}

// A focused control that goes away (a section of the inspector, the inspector itself, an overlay)
// hands the keyboard to the grid. Qt would pass it on to the next control of the window's chain,
// the search field, where a digit types and Ctrl+Z undoes the search instead of the edit just
// made. Tab and Shift+Tab move on as usual: they start from a control still shown.
bool LumivexView::focusNextPrevChild(bool next) {
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr || !isAncestorOf(focus) || focus->isVisible()) {
        return QWidget::focusNextPrevChild(next);
    }
    if (QWidget* grid = keyboardGrid()) {
        grid->setFocus(Qt::OtherFocusReason);
    } else {
        focus->clearFocus();
    }
    return true;
}

QWidget* LumivexView::keyboardGrid() const {
    MediaGridView* grid = browser_->grid();
    return grid != nullptr && grid->isVisible() && grid->isEnabled() ? grid : nullptr;
}

// A window of its own over this one (a sheet, an alert, a utility panel, another application)
// takes the keyboard while it is up. Qt hands the activation events on before it gives the
// keyboard back, so the control the window goes back to is settled here.
// An error the store met before the window existed (a library that could not open at start)
// shows once the window is active: an alert mapped before its window would stand behind it, and
// one shown before the window is active would not get the keyboard.
bool LumivexView::event(QEvent* event) {
    if (event->type() == QEvent::WindowDeactivate) {
        windowFocus_.hold();
    } else if (event->type() == QEvent::WindowActivate) {
        windowFocus_.release();
        errorAlert_->sync();
    }
    return QWidget::event(event);
}

void LumivexView::requestPreview() {
    if (state_.preview() || state_.propertyManager() || state_.categorySheet() ||
        state_.durationSheet() || state_.utilityPanel() || store_.showPhotosSetup() ||
        store_.locked() || store_.deleting() || store_.deletionRequest()) {
        return;
    }
    const MediaItems& selected = store_.selectedItems();
    if (!selected.isEmpty()) {
        state_.setPreview(selected.first());
    }
}

void LumivexView::requestShortcuts() {
    if (state_.categorySheet() || state_.durationSheet() || store_.showPhotosSetup() ||
        store_.deletionRequest()) {
        return;
    }
    const bool shown = state_.utilityPanel() == LumivexUtilityPanel::shortcuts;
    state_.setUtilityPanel(shown ? std::nullopt : std::optional(LumivexUtilityPanel::shortcuts));
}

void LumivexView::movePreview(GridNavigationDirection direction) {
    if (!state_.preview() || store_.deleting() || store_.locked() || store_.deletionRequest()) {
        return;
    }
    const QList<QUuid>& order = store_.visibleOrder();
    const qsizetype i = order.indexOf(state_.preview()->id);
    if (i < 0) {
        return;
    }
    const qsizetype target =
        gridTarget(i, order.size(), std::max(state_.previewColumns(), 1), direction);
    if (order[target] == state_.preview()->id) {
        return;
    }
    const MediaItem* found = store_.browseSnapshot().item(order[target]);
    if (found == nullptr) {
        return;
    }
    const MediaItem item = *found;
    store_.select(item.id, Qt::NoModifier);
    state_.setPreview(item);
}

std::optional<MetadataEditingActions> LumivexView::metadataEditingActions() {
    if (state_.preview() || state_.propertyManager() || state_.categorySheet() ||
        state_.durationSheet() || state_.utilityPanel() || store_.showPhotosSetup() ||
        store_.deletionRequest() || store_.error()) {
        return std::nullopt;
    }
    const bool replay = store_.canReplayMetadata();
    LumivexStore* store = &store_;
    return MetadataEditingActions{replay && !store_.metadataHistory().undo().isEmpty(),
                                  replay && !store_.metadataHistory().redo().isEmpty(),
                                  store_.undoMetadataTitle(),
                                  store_.redoMetadataTitle(),
                                  [store] { store->undoMetadata(); },
                                  [store] { store->redoMetadata(); }};
}

void LumivexView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    for (QWidget* layer : {mainContent_, static_cast<QWidget*>(propertyManagerOverlay_),
                           static_cast<QWidget*>(previewOverlay_)}) {
        layer->setGeometry(rect());
    }
}

// A Photos setup the store asked for while restoring appears once there is a window to hold it.
void LumivexView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    photosSetup_->sync();
}

void LumivexView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), BrowserPalette::canvas());
}

}  // namespace lumivex

#pragma once

#include "browser/focus_return.h"
#include "browser/metadata_editing_actions.h"
#include "browser/window_state.h"
#include "model/media_query.h"
#include "store/grid_navigation.h"

#include <QWidget>

#include <optional>

namespace lumivex {

class BrowserArea;
class DeletionAlert;
class ErrorAlert;
class Footer;
class HeaderToolbar;
class MediaGridView;
class LumivexPhotoAccessGuide;
class LumivexStore;
class ModalOverlay;
class PhotoLibrary;
class SheetSlot;
class Sidebar;
class UserDefaults;
class WindowPanels;

// The content of the main window: the header, the sidebar, the browser area, the inspector
// column and the footer, the property-manager and preview overlays over them, the sheets and
// the deletion and error alerts. It owns the window's state and wires the regions to the store:
// it closes the preview and the utility panel when another library opens, purges old deleted
// records whenever the application becomes active, and keeps the selection within the visible
// items whenever a filter changes. It holds no library data. Main thread.
class LumivexView : public QWidget {
    Q_OBJECT

public:
    // `store` and `defaults` must outlive the view.
    LumivexView(LumivexStore& store, UserDefaults& defaults, QWidget* parent = nullptr);
    ~LumivexView() override;

    WindowState& state() { return state_; }
    HeaderToolbar* header() const { return header_; }
    Sidebar* sidebar() const { return sidebar_; }
    BrowserArea* browserArea() const { return browser_; }
    Footer* footer() const { return footer_; }
    QWidget* mainContent() const { return mainContent_; }
    // The column beside the browser that the inspector fills; hidden with it.
    QWidget* inspectorSlot() const { return inspector_; }
    ModalOverlay* propertyManagerOverlay() const { return propertyManagerOverlay_; }
    ModalOverlay* previewOverlay() const { return previewOverlay_; }
    SheetSlot* categorySheet() const { return categorySheet_; }
    SheetSlot* durationSheet() const { return durationSheet_; }
    SheetSlot* photosSetupSheet() const { return photosSetup_; }
    SheetSlot* utilitySheet() const { return utilitySheet_; }
    DeletionAlert* deletionAlert() const { return deletionAlert_; }
    // The preview, the utility panels and the video-length sheet in their places.
    WindowPanels& panels() const { return *panels_; }
    ErrorAlert* errorAlert() const { return errorAlert_; }

    // The grid shown in the browser area (it follows the stored card size itself), wired to the
    // window's column count and preview; the view owns it.
    void setGrid(MediaGridView* grid);
    // The Photos setup sheet shows the setup view over `photos`, whose "사진 접근 설정 열기"
    // goes to `guide`; the preview plays the videos of `photos`. Both must outlive the view.
    void setPhotosSetup(PhotoLibrary& photos, LumivexPhotoAccessGuide& guide);

    // Opens the preview of the first selected item, unless something else is up.
    void requestPreview();
    // Shows the shortcut help, or closes it when shown, unless a sheet or a deletion question is
    // up.
    void requestShortcuts();
    // Moves the previewed item through the grid's order, selecting it alone.
    void movePreview(GridNavigationDirection direction);
    // What the menu's Undo and Redo may do now; nothing while a surface or a question is up.
    std::optional<MetadataEditingActions> metadataEditingActions();
    // Keeps only the selected items that the query still shows.
    void pruneSelection();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool event(QEvent* event) override;

private:
    void buildMainContent();
    void buildPresented(UserDefaults& defaults);
    void watchStore();
    void stateChanged();
    void queryChanged();
    void libraryReplaced();
    QWidget* keyboardGrid() const;

    LumivexStore& store_;
    WindowState state_;
    QWidget* mainContent_ = nullptr;
    HeaderToolbar* header_ = nullptr;
    Sidebar* sidebar_ = nullptr;
    BrowserArea* browser_ = nullptr;
    QWidget* inspectorDivider_ = nullptr;
    QWidget* inspector_ = nullptr;
    Footer* footer_ = nullptr;
    ModalOverlay* propertyManagerOverlay_ = nullptr;
    ModalOverlay* previewOverlay_ = nullptr;
    SheetSlot* categorySheet_ = nullptr;
    SheetSlot* durationSheet_ = nullptr;
    SheetSlot* photosSetup_ = nullptr;
    SheetSlot* utilitySheet_ = nullptr;
    DeletionAlert* deletionAlert_ = nullptr;
    ErrorAlert* errorAlert_ = nullptr;
    WindowPanels* panels_ = nullptr;
    MediaQuery lastQuery_;
    FocusReturn overlayFocus_;
    FocusReturn windowFocus_;
};

}  // namespace lumivex

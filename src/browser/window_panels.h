#pragma once

#include "panels/preview_services.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>

namespace lumivex {

class DeletedRecordsView;
class LumivexStore;
class LumivexView;
class ModalOverlay;
class PhotoLibrary;
class PreviewView;
class ResizableMediaPreview;
class SheetSlot;
class UserDefaults;
class VideoPlayerSession;
class WindowState;

// Puts the panels layer's views into the main window's places: the preview card and its pane in
// the preview overlay (a new pane for each item, the library's current record for the same one),
// the deleted-records and shortcut panels in the utility sheet (the archive follows each purge)
// and the video-length sheet. Main thread.
class WindowPanels final : public QObject {
public:
    struct Slots {
        ModalOverlay* preview;
        SheetSlot* utility;
        SheetSlot* duration;
    };

    // Everything given must outlive the object.
    WindowPanels(LumivexStore& store, UserDefaults& defaults, WindowState& state,
                 LumivexView& window, Slots places);
    ~WindowPanels() override;

    // The preview's services; without a call the window makes the application's own at the first
    // preview.
    void setPreviewServices(PreviewServices services);
    // The photo library whose videos the preview plays.
    void setPhotoLibrary(PhotoLibrary& photos);

    // The window's state changed: the preview follows.
    void syncPreview();
    ResizableMediaPreview* previewCard() const;
    PreviewView* previewPane() const;
    DeletedRecordsView* deletedRecords() const;

private:
    QWidget* makeUtilityPanel(std::function<void()> close);
    void libraryChanged();

    LumivexStore& store_;
    UserDefaults& defaults_;
    WindowState& state_;
    LumivexView& window_;
    Slots slots_;
    const PreviewServices& services();

    std::unique_ptr<VideoPlayerSession> session_;
    std::optional<PreviewServices> services_;
    PhotoLibrary* library_ = nullptr;
    QPointer<ResizableMediaPreview> card_;
    QPointer<DeletedRecordsView> deleted_;
};

}  // namespace lumivex

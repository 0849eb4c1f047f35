#pragma once

#include "model/library.h"
#include "panels/preview_services.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QPushButton;
class QStackedLayout;
template <typename T>
class QFutureWatcher;

namespace lumivex {

class LumivexSettings;
class MediaThumbnail;
class VideoPlayerHost;
class VideoVolumeMemory;

// The content of the floating preview for one item: a header (path, rating, "기본 앱으로 열기",
// close), the photo decoded through the media layer at the pane's own size, or the video played
// in the shared player view, and a footer of key hints. A video is prepared when the pane
// appears: a folder video through its playable copy, with progress and "다시 시도" after a
// failure; a photo-library video through the library. A player that reports an error, or shows
// no picture in the session's allowance, fails the same way. Every load takes a new generation, and
// a late result of an older one, or one after the pane went away, changes nothing. The pane reads
// no store state; the window gives it the library's current record. Main thread.
class PreviewView final : public QWidget {
public:
    enum class VideoState { none, preparing, failed, playing };

    // `path` is the item's file: the library root joined with its file name.
    PreviewView(const MediaItem& item, const QString& path, PreviewServices services,
                std::function<void()> onClose, QWidget* parent = nullptr);
    ~PreviewView() override;

    // "label · 50%": the progress clamped to 0 to 1 (not a number counts as 0), truncated.
    static QString progressText(const QString& label, std::optional<double> progress);
    // The video keys' hint for a stored skip interval (5 outside 1 to 3600).
    static QString videoHint(std::int64_t storedSkipSeconds);

    const MediaItem& item() const { return item_; }
    // The same item's record changed (its rating): the header follows.
    void setItem(const MediaItem& item);

    VideoState videoState() const;
    QString statusText() const;
    QString errorText() const;
    QString ratingText() const;
    QString hintText() const;
    QPushButton* retryButton() const { return retry_; }
    QPushButton* openButton() const { return open_; }
    QPushButton* closeButton() const { return close_; }
    MediaThumbnail* thumbnail() const { return thumbnail_; }
    VideoPlayer* player() const { return player_.get(); }
    // The pixel size asked of the photo decode: the pane's longer side, never more.
    int requestedPhotoSize() const { return photoSize_; }

    void loadVideo();
    void cancelVideo();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool isPhotosItem() const;
    bool isVideo() const;
    QWidget* buildHeader();
    QWidget* buildContent();
    QWidget* buildFooter();
    void loadPhotosVideo();
    void loadFolderVideo(std::uint64_t token);
    void folderVideoFinished(std::uint64_t token);
    void beginPlayback(const QUrl& url);
    void playbackFailed();
    void stopPlayback();
    void fail(const QString& message);
    void setProgress(std::optional<double> progress);
    void refreshHeader();
    void refreshHint();
    void requestPhoto();

    MediaItem item_;
    QString path_;
    PreviewServices services_;
    std::function<void()> onClose_;
    LumivexSettings* settings_;
    bool active_ = false;
    std::uint64_t generation_ = 0;
    std::unique_ptr<QFutureWatcher<QString>> task_;
    std::unique_ptr<VideoPlayer> player_;
    std::unique_ptr<VideoVolumeMemory> volume_;
    QString preparationLabel_;
    std::optional<double> progress_;
    std::optional<QString> loadError_;
    int photoSize_ = 0;

    QWidget* header_ = nullptr;
    QWidget* footer_ = nullptr;
    QLabel* rating_ = nullptr;
    QPushButton* open_ = nullptr;
    QPushButton* close_ = nullptr;
    QStackedLayout* content_ = nullptr;
    MediaThumbnail* thumbnail_ = nullptr;
    VideoPlayerHost* host_ = nullptr;
    QWidget* status_ = nullptr;
    QLabel* statusText_ = nullptr;
    QWidget* spinner_ = nullptr;
    QLabel* error_ = nullptr;
    QPushButton* retry_ = nullptr;
    QLabel* hint_ = nullptr;
};

}  // namespace lumivex

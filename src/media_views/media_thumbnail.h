#pragma once

#include "media/thumbnail_cache.h"
#include "model/library.h"

#include <QWidget>

#include <optional>

class QLabel;

namespace lumivex {

class LumivexSettings;
class PhotosThumbnail;
class PhotosThumbnailCache;
class ThumbnailImage;
class ThumbnailSpinner;
class UserDefaults;

// The picture of one media item as the grid, the inspector and the preview show it: through the
// photo library for a photo-library item, else from the folder thumbnail cache, with a spinner
// while a folder thumbnail loads and a placeholder when none can be made. It forgets its image
// when it leaves the screen; the memory cache keeps it for a quick return. Main thread.
class MediaThumbnail final : public QWidget {
public:
    struct Services {
        ThumbnailCache& folders;
        PhotosThumbnailCache& photos;
        UserDefaults& defaults;
    };

    explicit MediaThumbnail(Services services, QWidget* parent = nullptr);
    ~MediaThumbnail() override;

    // The item and its file; `size` is the pixel size of the longer side wanted, `fit` whether
    // the whole image fits the frame (else it fills it and is cropped). A new key loads again.
    void setItem(const MediaItem& item, const QString& path, int size, bool fit);
    // Whether the decode waits its turn behind the grid's or goes first (the preview); set before
    // the item.
    void setTurn(ThumbnailCache::Turn turn) { turn_ = turn; }

    enum class Layer { photos, image, placeholder, spinner };
    Layer layer() const;
    const ThumbnailImage& image() const { return *image_; }
    const PhotosThumbnail* photosThumbnail() const { return photos_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool isPhotosItem() const;
    void load();
    void unload();
    void finish(const QImage& image);
    void showPhotos();
    void refresh();
    QWidget* makePlaceholder();

    Services services_;
    LumivexSettings* settings_;
    MediaItem item_;
    QString path_;
    int size_ = 0;
    bool fit_ = false;
    ThumbnailCache::Turn turn_ = ThumbnailCache::Turn::queued;
    QString key_;
    QImage loadedImage_;
    bool loaded_ = false;
    std::optional<ThumbnailTicket> ticket_;

    ThumbnailImage* image_;
    ThumbnailSpinner* spinner_;
    QWidget* placeholder_;
    QLabel* placeholderSymbol_;
    PhotosThumbnail* photos_ = nullptr;
};

}  // namespace lumivex

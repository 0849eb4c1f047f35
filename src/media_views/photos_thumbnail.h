#pragma once

#include "media/photos_thumbnail_loader.h"

#include <QWidget>

class QLabel;

namespace lumivex {

class PhotosThumbnailCache;
class ThumbnailImage;
class ThumbnailSpinner;

// The picture of one photo-library asset: the best image so far, or a spinner with the download
// percentage while it comes, or a symbol and a short text when none can be had. It asks when it
// comes on screen or its request changes, and cancels and forgets when it leaves. Main thread.
class PhotosThumbnail final : public QWidget {
public:
    explicit PhotosThumbnail(PhotosThumbnailCache& cache, QWidget* parent = nullptr);

    // Asks again only when the request key changes.
    void setRequest(const PhotosThumbnailLoader::Request& request);
    const PhotosThumbnailLoader& loader() const { return loader_; }

    // The download text, e.g. "iCloud 20%"; empty when none shows.
    QString progressText() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void refresh();

    PhotosThumbnailLoader loader_;
    PhotosThumbnailLoader::Request request_;
    ThumbnailImage* image_;
    QWidget* waiting_;
    ThumbnailSpinner* spinner_;
    QLabel* progress_;
    QWidget* failure_;
    QLabel* failureText_;
};

}  // namespace lumivex

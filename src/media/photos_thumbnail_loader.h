#pragma once

#include "media/photo_image_manager.h"
#include "media/photos_thumbnail_result.h"

#include <QObject>
#include <QString>

#include <optional>

namespace lumivex {

class PhotosThumbnailCache;

// One photo-library thumbnail as a view shows it: asks the image manager for the asset's image,
// folds the quick degraded answer and the final one into a result, thins the download progress,
// and keeps final images in the shared image cache. Every load or cancel starts a new
// generation, and answers of older generations are dropped, so a reused view never shows an
// image it no longer asks for. Lives on the main thread; the manager may answer on any thread.
class PhotosThumbnailLoader final : public QObject {
    Q_OBJECT

public:
    struct Request {
        QString identifier;   // the asset's local identifier
        int size = 0;         // width and height of the target box in pixels
        bool fit = false;     // true: the whole image inside the box; false: the box filled
        double revision = 0;  // the item's modification time, so an edited asset is asked again
        bool allowListDownloads = true;
        bool first = false;  // the preview's picture, asked before the grid's (not in the key)

        // Fitted images (inspector, preview) may always download; list thumbnails only when the
        // user allows it.
        bool allowsNetwork() const { return fit || allowListDownloads; }
        // Identifier, revision, size, fit and network access, NUL between them, then "sharp".
        QString key() const;
    };

    explicit PhotosThumbnailLoader(PhotosThumbnailCache& cache, QObject* parent = nullptr);
    ~PhotosThumbnailLoader() override;

    // Shows the image of `request`: from the image cache when it is there, else asked of the
    // manager. Whatever was in flight is cancelled first.
    void load(const Request& request);
    // Ends the current generation and cancels the request in flight, keeping what is shown.
    void cancel();
    // What a view leaving the screen does: cancels and forgets the result and the progress.
    void unload();

    const Request& request() const { return request_; }
    const PhotosThumbnailResult& result() const { return result_; }
    // Download progress 0...1 while downloading; none otherwise.
    std::optional<double> progress() const { return progress_; }

Q_SIGNALS:
    // The result or the progress changed.
    void changed();

private:
    void receive(quint64 generation, const PhotoImageDelivery& delivery);
    void receiveProgress(quint64 generation, double value);

    PhotosThumbnailCache& cache_;
    Request request_;
    PhotosThumbnailResult result_;
    std::optional<double> progress_;
    std::optional<PhotoImageRequestId> inFlight_;
    quint64 generation_ = 0;
};

}  // namespace lumivex

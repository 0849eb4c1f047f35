#pragma once

#include "media/thumbnail_cache.h"

#include <QCache>
#include <QHash>
#include <QObject>
#include <QPixmap>
#include <QSet>

#include <memory>

namespace lumivex {

class PhotosThumbnailCache;
class PhotosThumbnailLoader;
class LumivexSettings;
struct MediaItem;

// The thumbnails of the grid's cards, cropped square at the size the cards draw them. The view
// says which items it wants, nearest first, when scrolling pauses: what is missing is asked of
// the folder-thumbnail cache or the photo library's loader, and every earlier request that is no
// longer wanted is withdrawn, so a late answer never lands and rows scrolled past are never
// decoded. Decodes run off the main thread; the squares are made here, on the main thread.
class GridThumbnails final : public QObject {
    Q_OBJECT

public:
    struct Sources {
        ThumbnailCache* folder = nullptr;
        PhotosThumbnailCache* photos = nullptr;
        const LumivexSettings* settings = nullptr;
    };

    explicit GridThumbnails(Sources sources, QObject* parent = nullptr);
    ~GridThumbnails() override;

    // The square for this item, `side` device pixels wide, when one is ready.
    QPixmap square(const MediaItem& item, const QString& root, int side);
    // Whether no thumbnail can be made for this item.
    bool failed(const MediaItem& item, const QString& root) const;
    // Asks for these items' thumbnails, first first, and withdraws every other request.
    void want(const QList<MediaItem>& items, const QString& root, int side);
    qsizetype requestsInFlight() const { return tickets_.size() + loaders_.size(); }

Q_SIGNALS:
    // A thumbnail arrived or failed; the cards should be drawn again.
    void arrived();

private:
    static QString path(const MediaItem& item, const QString& root);
    QString key(const MediaItem& item, const QString& root) const;
    QImage cachedSource(const MediaItem& item, const QString& root, const QString& key) const;
    static QString squareKey(const QString& key, int side);
    void insertSquare(const QString& key, const QImage& image, int side);
    void requestFolder(const MediaItem& item, const QString& root, const QString& key, int side);
    void requestPhotos(const MediaItem& item, const QString& key, int side);
    void photosChanged(const QString& key, int side);
    void withdrawAllBut(const QSet<QString>& wanted);

    Sources sources_;
    QCache<QString, QPixmap> squares_;
    QSet<QString> failed_;
    QHash<QString, ThumbnailTicket> tickets_;
    QHash<QString, PhotosThumbnailLoader*> loaders_;
};

}  // namespace lumivex

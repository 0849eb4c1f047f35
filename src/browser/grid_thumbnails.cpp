#include "browser/grid_thumbnails.h"

#include "browser/browser_settings.h"
#include "media/photos_thumbnail_cache.h"
#include "media/photos_thumbnail_loader.h"
#include "model/library.h"

#include <QPainter>

namespace lumivex {

namespace {

constexpr int squareCacheKilobytes = 98304;  // 96 MiB of drawn squares

QImage croppedSquare(const QImage& image, int side) {
    const QImage scaled =
        image.scaled(side, side, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    return scaled.copy((scaled.width() - side) / 2, (scaled.height() - side) / 2, side, side);
}

}  // namespace

GridThumbnails::GridThumbnails(Sources sources, QObject* parent)
    : QObject(parent), sources_(sources), squares_(squareCacheKilobytes) {}

GridThumbnails::~GridThumbnails() {
    withdrawAllBut({});
}

QString GridThumbnails::path(const MediaItem& item, const QString& root) {
    return root + QLatin1Char('/') + item.filename;
}

QString GridThumbnails::key(const MediaItem& item, const QString& root) const {
    const int pixels = BrowserSettings::thumbnailPixels(*sources_.settings, item);
    if (BrowserSettings::isPhotosItem(item)) {
        PhotosThumbnailLoader::Request request;
        request.identifier = item.fileIdentity.mid(7);
        request.size = pixels;
        request.revision = item.modified.secondsSince1970;
        return request.key();
    }
    return ThumbnailCache::key(path(item, root), item, pixels);
}

QString GridThumbnails::squareKey(const QString& key, int side) {
    return key + QLatin1Char('\0') + QString::number(side);
}

QPixmap GridThumbnails::square(const MediaItem& item, const QString& root, int side) {
    const QString itemKey = key(item, root);
    if (const QPixmap* found = squares_.object(squareKey(itemKey, side))) {
        return *found;
    }
    const QImage cached = cachedSource(item, root, itemKey);
    if (cached.isNull()) {
        return {};
    }
    insertSquare(itemKey, cached, side);
    const QPixmap* made = squares_.object(squareKey(itemKey, side));
    return made != nullptr ? *made : QPixmap();
}

QImage GridThumbnails::cachedSource(const MediaItem& item, const QString& root,
                                    const QString& key) const {
    if (BrowserSettings::isPhotosItem(item)) {
        return sources_.photos->images().find(key).value_or(QImage());
    }
    const int pixels = BrowserSettings::thumbnailPixels(*sources_.settings, item);
    return sources_.folder->cachedImage(path(item, root), item, pixels);
}

bool GridThumbnails::failed(const MediaItem& item, const QString& root) const {
    return failed_.contains(key(item, root));
}

void GridThumbnails::insertSquare(const QString& key, const QImage& image, int side) {
    const QImage cropped = croppedSquare(image, side);
    squares_.insert(squareKey(key, side), new QPixmap(QPixmap::fromImage(cropped)),
                    std::max<qsizetype>(1, cropped.sizeInBytes() / 1024));
}

void GridThumbnails::want(const QList<MediaItem>& items, const QString& root, int side) {
    QSet<QString> wanted;
    QList<std::pair<const MediaItem*, QString>> missing;
    for (const MediaItem& item : items) {
        const QString itemKey = key(item, root);
        wanted.insert(itemKey);
        if (!squares_.contains(squareKey(itemKey, side)) && !failed_.contains(itemKey) &&
            cachedSource(item, root, itemKey).isNull()) {
            missing.append({&item, itemKey});
        }
    }
    withdrawAllBut(wanted);
    for (const auto& [item, itemKey] : missing) {
        if (tickets_.contains(itemKey) || loaders_.contains(itemKey)) {
            continue;
        }
        if (BrowserSettings::isPhotosItem(*item)) {
            requestPhotos(*item, itemKey, side);
        } else {
            requestFolder(*item, root, itemKey, side);
        }
    }
}

void GridThumbnails::requestFolder(const MediaItem& item, const QString& root, const QString& key,
                                   int side) {
    const int pixels = BrowserSettings::thumbnailPixels(*sources_.settings, item);
    // A thumbnail the cache holds is answered before image() returns: no ticket to keep then.
    const auto answered = std::make_shared<bool>(false);
    const ThumbnailTicket ticket = sources_.folder->image(
        path(item, root), item, pixels, this, [this, key, side, answered](const QImage& image) {
            *answered = true;
            tickets_.remove(key);
            if (image.isNull()) {
                failed_.insert(key);
            } else {
                insertSquare(key, image, side);
            }
            Q_EMIT arrived();
        });
    if (!*answered) {
        tickets_.insert(key, ticket);
    }
}

void GridThumbnails::requestPhotos(const MediaItem& item, const QString& key, int side) {
    auto* loader = new PhotosThumbnailLoader(*sources_.photos, this);
    loaders_.insert(key, loader);
    connect(loader, &PhotosThumbnailLoader::changed, this,
            [this, key, side] { photosChanged(key, side); });
    PhotosThumbnailLoader::Request request;
    request.identifier = item.fileIdentity.mid(7);
    request.size = BrowserSettings::thumbnailPixels(*sources_.settings, item);
    request.revision = item.modified.secondsSince1970;
    loader->load(request);
}

void GridThumbnails::photosChanged(const QString& key, int side) {
    PhotosThumbnailLoader* loader = loaders_.value(key);
    if (loader == nullptr) {
        return;
    }
    const PhotosThumbnailResult& result = loader->result();
    if (!result.image.isNull()) {
        insertSquare(key, result.image, side);
    }
    if (result.settled || result.failed) {
        if (result.image.isNull()) {
            failed_.insert(key);
        }
        loaders_.remove(key);
        loader->deleteLater();
    }
    Q_EMIT arrived();
}

void GridThumbnails::withdrawAllBut(const QSet<QString>& wanted) {
    for (auto ticket = tickets_.begin(); ticket != tickets_.end();) {
        if (wanted.contains(ticket.key())) {
            ++ticket;
            continue;
        }
        sources_.folder->cancel(ticket.value());
        ticket = tickets_.erase(ticket);
    }
    for (auto loader = loaders_.begin(); loader != loaders_.end();) {
        if (wanted.contains(loader.key())) {
            ++loader;
            continue;
        }
        loader.value()->cancel();
        loader.value()->deleteLater();
        loader = loaders_.erase(loader);
    }
}

}  // namespace lumivex

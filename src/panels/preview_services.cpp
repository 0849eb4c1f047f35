#include "panels/preview_services.h"

#include "media/photos_thumbnail_cache.h"
#include "media/qt_video_player.h"
#include "media/thumbnail_cache.h"

#include <QDesktopServices>

namespace lumivex {

PreviewServices PreviewServices::standard(UserDefaults& defaults, PhotoLibrary* library,
                                          VideoPlayerSession& session) {
    PreviewServices services;
    services.folders = &ThumbnailCache::shared();
    services.photos = &PhotosThumbnailCache::shared();
    services.defaults = &defaults;
    services.library = library;
    services.session = &session;
    services.makePlayer = [](const QUrl& url) -> std::unique_ptr<VideoPlayer> {
        auto player = std::make_unique<QtVideoPlayer>();
        player->setSource(url);
        return player;
    };
    services.prepareVideo = [](const QString& path, VideoCompatibility::ProgressHandler progress) {
        return VideoCompatibility::playbackURL(path, VideoCompatibility::root(),
                                               std::move(progress));
    };
    services.openFile = [](const QString& path) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
    return services;
}

}  // namespace lumivex

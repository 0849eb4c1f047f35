#pragma once

#include "media/video_compatibility.h"

#include <QFuture>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

namespace lumivex {

class PhotoLibrary;
class PhotosThumbnailCache;
class ThumbnailCache;
class UserDefaults;
class VideoPlayer;
class VideoPlayerSession;

// What the preview pane works with; every object must outlive the panes. The real ones come from
// `standard`; tests give fakes.
struct PreviewServices {
    ThumbnailCache* folders = nullptr;
    PhotosThumbnailCache* photos = nullptr;
    UserDefaults* defaults = nullptr;
    // The photo library whose videos play; none without one.
    PhotoLibrary* library = nullptr;
    VideoPlayerSession* session = nullptr;
    // A player loaded with the file to play.
    std::function<std::unique_ptr<VideoPlayer>(const QUrl&)> makePlayer;
    // The path to play for a folder video: the video itself, or its copy (VideoCompatibility).
    std::function<QFuture<QString>(const QString&, VideoCompatibility::ProgressHandler)>
        prepareVideo;
    // Opens a file with its default application.
    std::function<void(const QString&)> openFile;

    // The application's own: the shared caches, Qt's player, the video copies in their cache
    // folder, and the desktop's default applications.
    static PreviewServices standard(UserDefaults& defaults, PhotoLibrary* library,
                                    VideoPlayerSession& session);
};

}  // namespace lumivex

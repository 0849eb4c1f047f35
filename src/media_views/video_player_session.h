#pragma once

#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

namespace lumivex {

class LumivexVideoPlayerView;
class UserDefaults;
class VideoPlayer;
class VideoPlayerHost;

// Owns the application's one video player view, which moves into whichever host currently shows
// a video, and watches the player last asked to play until its first picture, so that a player
// that fails or never shows anything is reported instead of leaving a black picture. The
// application makes one session and hands it to every host; it must outlive them. Main thread.
class VideoPlayerSession {
public:
    static constexpr int firstFrameMilliseconds = 6000;

    // `uptime` is the steady clock of the controls' reveal throttle; empty: the system's.
    // `firstFrameAllowance` is how long a player may take to show its first picture.
    explicit VideoPlayerSession(UserDefaults& defaults, std::function<double()> uptime = {},
                                int firstFrameAllowance = firstFrameMilliseconds);
    ~VideoPlayerSession();
    VideoPlayerSession(const VideoPlayerSession&) = delete;
    VideoPlayerSession& operator=(const VideoPlayerSession&) = delete;

    LumivexVideoPlayerView& view() const { return *view_; }

    // Watches `player`, just asked to play: an error it reports, or no first picture within the
    // allowance, calls `failed` once, from the event loop (never inside the player's own signal,
    // so `failed` may destroy it). Watching another player ends the watch, and so does the
    // player's destruction.
    void watchPlayback(VideoPlayer& player, std::function<void()> failed);

private:
    void endWatch();
    void reportFailure();

    std::unique_ptr<LumivexVideoPlayerView> view_;
    int firstFrameAllowance_;
    QTimer failureTimer_;
    std::function<void()> failed_;
    QString failure_;  // the player's own words, for the log
    std::vector<QMetaObject::Connection> connections_;
};

}  // namespace lumivex

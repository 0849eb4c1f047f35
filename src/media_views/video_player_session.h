#pragma once

#include <functional>
#include <memory>

namespace lumivex {

class LumivexVideoPlayerView;
class UserDefaults;
class VideoPlayerHost;

// Owns the application's one video player view, which moves into whichever host currently shows
// a video. The application makes one session and hands it to every host; it must outlive them.
// Main thread.
class VideoPlayerSession {
public:
    // `uptime` is the steady clock of the controls' reveal throttle; empty: the system's.
    explicit VideoPlayerSession(UserDefaults& defaults, std::function<double()> uptime = {});
    ~VideoPlayerSession();
    VideoPlayerSession(const VideoPlayerSession&) = delete;
    VideoPlayerSession& operator=(const VideoPlayerSession&) = delete;

    LumivexVideoPlayerView& view() const { return *view_; }

private:
    std::unique_ptr<LumivexVideoPlayerView> view_;
};

}  // namespace lumivex

#pragma once

#include "media/video_player.h"

#include <QPointer>
#include <QWidget>

namespace lumivex {

class VideoPlayerSession;

// A place in a layout that shows a video: once it is on screen with a size, it takes the
// session's one player view and shows its player there. When it is hidden or destroyed while
// holding the view, the playback stops and the view leaves it, for the next host to take at its
// next layout. Main thread.
class VideoPlayerHost final : public QWidget {
public:
    VideoPlayerHost(VideoPlayerSession& session, VideoPlayer* player, QWidget* parent = nullptr);
    ~VideoPlayerHost() override;

    // The player to show; shown at once when the view is here.
    void bind(VideoPlayer* player);
    bool holdsPlayerView() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void attachPlayer();
    void releasePlayerView();

    VideoPlayerSession& session_;
    QPointer<VideoPlayer> playback_;
};

}  // namespace lumivex

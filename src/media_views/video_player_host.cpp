#include "media_views/video_player_host.h"

#include "media_views/lumivex_video_player_view.h"
#include "media_views/video_player_session.h"

#include <QShowEvent>

namespace lumivex {

VideoPlayerHost::VideoPlayerHost(VideoPlayerSession& session, VideoPlayer* player, QWidget* parent)
    : QWidget(parent), session_(session), playback_(player) {}

VideoPlayerHost::~VideoPlayerHost() {
    releasePlayerView();
}

bool VideoPlayerHost::holdsPlayerView() const {
    return session_.view().parentWidget() == this;
}

void VideoPlayerHost::bind(VideoPlayer* player) {
    playback_ = player;
    if (holdsPlayerView()) {
        session_.view().bind(player);
    }
}

void VideoPlayerHost::showEvent(QShowEvent*) {
    attachPlayer();
}

void VideoPlayerHost::resizeEvent(QResizeEvent*) {
    attachPlayer();
}

void VideoPlayerHost::hideEvent(QHideEvent* event) {
    // A minimised window still holds its video; a host taken off the screen does not.
    if (!event->spontaneous()) {
        releasePlayerView();
    }
}

void VideoPlayerHost::attachPlayer() {
    if (!isVisible() || width() <= 0 || height() <= 0) {
        return;
    }
    LumivexVideoPlayerView& view = session_.view();
    if (!holdsPlayerView()) {
        view.setParent(this);
        view.setGeometry(rect());
        view.show();
    } else if (view.geometry() != rect()) {
        view.setGeometry(rect());
    }
    view.bind(playback_);
}

void VideoPlayerHost::releasePlayerView() {
    if (!holdsPlayerView()) {
        return;
    }
    LumivexVideoPlayerView& view = session_.view();
    view.stopPlayback();
    view.hide();
    view.setParent(nullptr);
}

}  // namespace lumivex

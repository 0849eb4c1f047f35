#include "media_views/video_player_session.h"

#include "media_views/lumivex_video_player_view.h"

namespace lumivex {

VideoPlayerSession::VideoPlayerSession(UserDefaults& defaults, std::function<double()> uptime)
    : view_(std::make_unique<LumivexVideoPlayerView>(defaults, std::move(uptime))) {}

VideoPlayerSession::~VideoPlayerSession() {
    // A host still holding the view would delete it with its children; take it back first.
    view_->setParent(nullptr);
}

}  // namespace lumivex

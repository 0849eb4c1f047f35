#include "media/video_player.h"

namespace lumivex {

VideoPlayer::~VideoPlayer() = default;

void VideoPlayer::setVideoOutput(QVideoSink*) {}

}  // namespace lumivex

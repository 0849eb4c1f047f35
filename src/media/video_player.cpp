#include "media/video_player.h"

namespace lumivex {

VideoPlayer::~VideoPlayer() = default;

void VideoPlayer::setVideoOutput(QObject*) {}

}  // namespace lumivex

#include "media/video_player.h"

namespace lumivex {

VideoPlayer::~VideoPlayer() = default;

}  // namespace lumivex

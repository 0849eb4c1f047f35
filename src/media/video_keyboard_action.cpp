#include "media/video_keyboard_action.h"

#include "media/video_player.h"
#include "media/video_seek_controller.h"
#include "platform/user_defaults.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace lumivex {

namespace {

bool changeVolume(VideoPlayer& player, float step) {
    // A muted player starts again from silence, so the first step up is quiet.
    const float base = player.isMuted() ? 0 : player.volume();
    player.setVolume(std::clamp(base + step, 0.0f, 1.0f));
    if (player.volume() > 0) {
        player.setMuted(false);
    }
    return true;
}

bool flipPlayback(VideoSeekController& controller, VideoPlayer& player) {
    // During a seek sequence the player is paused on purpose; what changes is what comes after.
    if (const std::optional<float> resume = controller.resumeRate()) {
        controller.changeResumeRate(*resume == 0 ? 1.0f : 0.0f);
    } else if (player.rate() != 0) {
        player.pause();
    } else {
        player.play();
    }
    return true;
}

}  // namespace

bool VideoKeyboardAction::perform(VideoSeekController& controller) const {
    if (kind_ == Kind::seek) {
        return controller.skip(seconds_);
    }
    VideoPlayer* player = controller.player();
    if (player == nullptr) {
        return false;
    }
    return kind_ == Kind::volume ? changeVolume(*player, step_) : flipPlayback(controller, *player);
}

std::optional<double> VideoKeyboardAction::seekTarget(double current,
                                                      std::optional<double> duration,
                                                      double offset) {
    if (!std::isfinite(current) || !std::isfinite(offset)) {
        return std::nullopt;
    }
    const double sum = std::max(current + offset, 0.0);
    if (duration && std::isfinite(*duration) && *duration >= 0) {
        return std::min(sum, *duration);
    }
    return sum;
}

std::optional<VideoKeyboardAction> VideoKeyboardAction::forKey(int key,
                                                               Qt::KeyboardModifiers modifiers,
                                                               double skipSeconds) {
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        return std::nullopt;
    }
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    switch (key) {
        case Qt::Key_Left:
            return seek(-skipSeconds);
        case Qt::Key_Right:
            return seek(skipSeconds);
        case Qt::Key_Space:
            return shift ? std::nullopt : std::optional(togglePlayback());
        case Qt::Key_Down:
            return shift ? std::nullopt : std::optional(volume(-volumeStep));
        case Qt::Key_Up:
            return shift ? std::nullopt : std::optional(volume(volumeStep));
        default:
            return std::nullopt;
    }
}

}  // namespace lumivex

#include "media/video_volume_memory.h"

#include "media/video_player.h"
#include "platform/user_defaults.h"

#include <algorithm>
#include <cmath>
#include <variant>

namespace lumivex {

VideoVolumeMemory::VideoVolumeMemory(VideoPlayer* player, UserDefaults& defaults, QObject* parent)
    : QObject(parent), player_(player), defaults_(defaults) {
    if (player == nullptr) {
        return;
    }
    // Restored before observing, so the restore itself is not saved back.
    player->setVolume(savedVolume(defaults));
    player->setMuted(defaults.boolValue(mutedKey).value_or(false));
    // Queued: a report may come from inside the player's own change; the save follows it.
    observations_.append(connect(player, &VideoPlayer::volumeChanged, this,
                                 &VideoVolumeMemory::saveVolume, Qt::QueuedConnection));
    observations_.append(connect(player, &VideoPlayer::mutedChanged, this,
                                 &VideoVolumeMemory::saveMuted, Qt::QueuedConnection));
}

float VideoVolumeMemory::savedVolume(const UserDefaults& defaults) {
    const std::optional<UserDefaults::Value> stored = defaults.value(volumeKey);
    float volume = 1;
    if (!stored) {
        return volume;
    }
    if (const double* number = std::get_if<double>(&*stored)) {
        volume = static_cast<float>(*number);
    } else if (const std::int64_t* integer = std::get_if<std::int64_t>(&*stored)) {
        volume = static_cast<float>(*integer);
    }
    return std::isfinite(volume) && volume >= 0 && volume <= 1 ? volume : 1;
}

void VideoVolumeMemory::saveVolume(float volume) {
    if (!stopped_ && std::isfinite(volume)) {
        defaults_.setDouble(volumeKey, std::clamp(volume, 0.0f, 1.0f));
    }
}

void VideoVolumeMemory::saveMuted(bool muted) {
    if (!stopped_) {
        defaults_.setBool(mutedKey, muted);
    }
}

void VideoVolumeMemory::stop() {
    if (stopped_) {
        return;
    }
    if (player_) {
        saveVolume(player_->volume());
        saveMuted(player_->isMuted());
    }
    stopped_ = true;
    for (const QMetaObject::Connection& observation : observations_) {
        disconnect(observation);
    }
    observations_.clear();
}

}  // namespace lumivex

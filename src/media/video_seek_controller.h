#pragma once

#include "media/video_player.h"

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <optional>

namespace lumivex {

// Turns a burst of skips (an arrow key held down) into one seek at a time towards the latest
// wanted time: playback pauses while the seeks run and resumes at its former rate after the last.
// One per player shown; main thread.
class VideoSeekController : public QObject {
public:
    // Seeks the player to the target in seconds and tells the completion; any thread may call it.
    using SeekFunction = std::function<void(double target, VideoPlayer::SeekCompletion)>;

    static constexpr double seekTolerance = 0.1;  // seconds either way

    // Without `seek`, the player's own seek with a tolerance of seekTolerance.
    explicit VideoSeekController(VideoPlayer* player, SeekFunction seek = {},
                                 QObject* parent = nullptr);

    VideoPlayer* player() const { return player_; }

    // Moves the wanted time by `offset` seconds from the pending target, or from the current time
    // when none is pending. False, with nothing changed, when the player has no ready media.
    bool skip(double offset);
    // Ends any seek sequence; with `restorePlayback`, the rate saved at its start comes back.
    void cancel(bool restorePlayback);

    std::optional<double> target() const { return target_; }
    bool isSeeking() const { return inFlight_; }
    // The rate to restore when the running sequence ends; nothing when none runs.
    std::optional<float> resumeRate() const { return resumeRate_; }
    // Changes the rate the running sequence will restore; does nothing when none runs.
    void changeResumeRate(float rate);

private:
    void seekNext();
    void seekEnded(std::uint64_t generation, std::uint64_t item, double sent, bool finished);

    QPointer<VideoPlayer> player_;
    SeekFunction seek_;
    std::optional<double> target_;
    bool inFlight_ = false;
    std::optional<float> resumeRate_;
    // Raised by every cancel, so that completions of older seeks are recognised and dropped.
    std::uint64_t generation_ = 0;
};

}  // namespace lumivex

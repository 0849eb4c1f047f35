#pragma once

#include <QString>
#include <Qt>

#include <optional>

namespace lumivex {

class VideoSeekController;

// What a key does to the player: seek by some seconds, change the volume by a step, or toggle
// playback. The player view's key filter asks forKey and performs the answer. Main thread.
class VideoKeyboardAction {
public:
    enum class Kind { seek, volume, togglePlayback };

    static constexpr float volumeStep = 0.05f;

    static VideoKeyboardAction seek(double seconds) { return {Kind::seek, seconds, 0}; }
    static VideoKeyboardAction volume(float step) { return {Kind::volume, 0, step}; }
    static VideoKeyboardAction togglePlayback() { return {Kind::togglePlayback, 0, 0}; }

    Kind kind() const { return kind_; }
    double seconds() const { return seconds_; }
    float step() const { return step_; }

    // True when the action was carried out, so that the key goes no further.
    bool perform(VideoSeekController& controller) const;

    // current + offset, no lower than 0 and, with a known length, no higher than it; nothing when
    // either number is not finite.
    static std::optional<double> seekTarget(double current, std::optional<double> duration,
                                            double offset);

    // The action of a key pressed over the player: left and right arrows (also with Shift) seek
    // by `skipSeconds`, space toggles playback, up and down change the volume. Nothing for other
    // keys, or with Ctrl, Alt or Meta held, or with Shift for space, up and down.
    static std::optional<VideoKeyboardAction> forKey(int key, Qt::KeyboardModifiers modifiers,
                                                     double skipSeconds);

    bool operator==(const VideoKeyboardAction&) const = default;

private:
    VideoKeyboardAction(Kind kind, double seconds, float step)
        : kind_(kind), seconds_(seconds), step_(step) {}

    Kind kind_;
    double seconds_;
    float step_;
};

}  // namespace lumivex

#pragma once

#include "media/video_player.h"
#include "media_views/shortcut_override_claim.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class QKeyEvent;
class QMouseEvent;
class QVideoWidget;

namespace lumivex {

class LumivexSettings;
class UserDefaults;
class VideoControlsPane;
class VideoSeekController;

// The application's one video player view: the picture, the controls under it, and keyboard
// control while it is on screen (left and right arrows seek by the user's skip interval, space
// toggles playback, up and down change the volume). The keys are read by an application event
// filter, which also answers ShortcutOverride so that menu shortcuts do not take them first.
// After each handled key the controls show, and they fade 1.8 s after the last reveal unless the
// pointer rests on them. Main thread.
class LumivexVideoPlayerView final : public QWidget {
public:
    // Seconds of a steady clock; the reveal throttle reads it.
    using Uptime = std::function<double()>;

    static constexpr double revealThrottle = 0.25;  // seconds
    static constexpr int hideDelayMilliseconds = 1800;

    explicit LumivexVideoPlayerView(UserDefaults& defaults, Uptime uptime = {},
                                    QWidget* parent = nullptr);
    ~LumivexVideoPlayerView() override;

    // Shows `player`; showing the player already shown keeps its seek controller and sequence,
    // unless playback was stopped since.
    void bind(VideoPlayer* player);
    // Ends the playback: no more keys, no seeks, paused, media removed; the player stays bound.
    void stopPlayback();
    void stopKeyboardMonitoring();

    VideoPlayer* player() const { return player_; }
    VideoSeekController* seeker() const { return seeker_.get(); }
    bool isMonitoringKeys() const { return monitoring_; }
    VideoControlsPane& controls() const { return *controls_; }
    QTimer& controlsHideTimer() { return controlsHideTimer_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void enterEvent(QEnterEvent* event) override;

private:
    bool acceptsEventsOf(QObject* receiver) const;
    bool handleKey(const QKeyEvent& key);
    void handleMousePress(const QMouseEvent& press);
    void revealPlaybackControls();
    void hideControlsUnlessPointed();

    LumivexSettings* settings_;
    Uptime uptime_;
    QVideoWidget* video_;
    VideoControlsPane* controls_;
    QPointer<VideoPlayer> player_;
    std::unique_ptr<VideoSeekController> seeker_;
    bool monitoring_ = false;
    double lastControlsReveal_ = 0;
    QTimer controlsHideTimer_;
    ShortcutOverrideClaim claim_;
};

}  // namespace lumivex

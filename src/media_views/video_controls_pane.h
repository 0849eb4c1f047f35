#pragma once

#include "media/video_player.h"
#include "media/video_seek_controller.h"

#include <QBasicTimer>
#include <QPointer>
#include <QWidget>

class QGraphicsOpacityEffect;
class QLabel;
class QSlider;
class QToolButton;

namespace lumivex {

// The player's controls under the picture: play or pause, the position and the time. They fade
// out (opacity 0, keeping their place, since the picture is a native surface nothing can float
// over) and come back when revealed. Main thread.
class VideoControlsPane final : public QWidget {
public:
    explicit VideoControlsPane(QWidget* parent = nullptr);

    // The player the controls drive and the seek controller that a toggle goes through.
    void setPlayer(VideoPlayer* player, VideoSeekController* seeker);

    void setShown(bool shown);
    bool isShown() const;

protected:
    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void togglePlayback();
    void seekTo(int milliseconds);
    void refresh();

    QPointer<VideoPlayer> player_;
    QPointer<VideoSeekController> seeker_;
    QGraphicsOpacityEffect* opacity_;
    QToolButton* playButton_;
    QSlider* position_;
    QLabel* time_;
    QBasicTimer refreshTimer_;
};

}  // namespace lumivex

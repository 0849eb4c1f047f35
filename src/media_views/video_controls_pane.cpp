#include "media_views/video_controls_pane.h"

#include "media/video_keyboard_action.h"
#include "media/video_player.h"
#include "media/video_seek_controller.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QStyle>
#include <QTimerEvent>
#include <QToolButton>

#include <cmath>

namespace lumivex {

namespace {

constexpr int refreshMilliseconds = 250;
constexpr int paneHeight = 44;  // within the 40 to 200 points a control pane may have

QString clockText(double seconds) {
    const auto whole = static_cast<long long>(std::isfinite(seconds) ? std::max(seconds, 0.0) : 0);
    const QString minutes = QString::number(whole / 60 % 60);
    const QString rest = QStringLiteral("%1").arg(whole % 60, 2, 10, QChar(u'0'));
    if (whole >= 3600) {
        return QStringLiteral("%1:%2:%3")
            .arg(whole / 3600)
            .arg(whole / 60 % 60, 2, 10, QChar(u'0'))
            .arg(rest);
    }
    return minutes + u':' + rest;
}

}  // namespace

VideoControlsPane::VideoControlsPane(QWidget* parent)
    : QWidget(parent),
      opacity_(new QGraphicsOpacityEffect(this)),
      playButton_(new QToolButton(this)),
      position_(new QSlider(Qt::Horizontal, this)),
      time_(new QLabel(this)) {
    setFixedHeight(paneHeight);
    setGraphicsEffect(opacity_);
    QPalette dark = palette();
    dark.setColor(QPalette::Window, QColor::fromRgb(28, 28, 30));
    dark.setColor(QPalette::WindowText, QColor::fromRgb(235, 235, 240));
    setPalette(dark);
    setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 4, 10, 4);
    layout->addWidget(playButton_);
    layout->addWidget(position_, 1);
    layout->addWidget(time_);
    playButton_->setFocusPolicy(Qt::NoFocus);
    position_->setFocusPolicy(Qt::NoFocus);
    connect(playButton_, &QToolButton::clicked, this, &VideoControlsPane::togglePlayback);
    connect(position_, &QSlider::sliderMoved, this, &VideoControlsPane::seekTo);
    refresh();
}

void VideoControlsPane::setPlayer(VideoPlayer* player, VideoSeekController* seeker) {
    player_ = player;
    seeker_ = seeker;
    refresh();
}

void VideoControlsPane::setShown(bool shown) {
    opacity_->setOpacity(shown ? 1 : 0);
}

bool VideoControlsPane::isShown() const {
    return opacity_->opacity() > 0;
}

void VideoControlsPane::togglePlayback() {
    if (seeker_ != nullptr) {
        VideoKeyboardAction::togglePlayback().perform(*seeker_);
    }
    refresh();
}

void VideoControlsPane::seekTo(int milliseconds) {
    if (seeker_ != nullptr) {
        seeker_->cancel(false);
    }
    if (player_ != nullptr && player_->isReadyToPlay()) {
        player_->seek(milliseconds / 1000.0, VideoSeekController::seekTolerance, [](bool) {});
    }
}

void VideoControlsPane::refresh() {
    const bool ready = player_ != nullptr && player_->isReadyToPlay();
    const bool playing =
        ready && (seeker_ != nullptr && seeker_->resumeRate() ? *seeker_->resumeRate() > 0
                                                              : player_->rate() != 0);
    playButton_->setIcon(
        style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    playButton_->setEnabled(ready);
    position_->setEnabled(ready);
    const double length = ready ? player_->duration().value_or(0) : 0;
    const double now = ready ? player_->currentTime() : 0;
    if (!position_->isSliderDown()) {
        position_->setRange(
            0, static_cast<int>(std::lround(std::isfinite(length) ? length * 1000 : 0)));
        position_->setValue(static_cast<int>(std::lround(std::isfinite(now) ? now * 1000 : 0)));
    }
    time_->setText(clockText(now) + QStringLiteral(" / ") + clockText(length));
}

void VideoControlsPane::timerEvent(QTimerEvent* event) {
    if (event->timerId() == refreshTimer_.timerId()) {
        refresh();
    } else {
        QWidget::timerEvent(event);
    }
}

void VideoControlsPane::showEvent(QShowEvent*) {
    refreshTimer_.start(refreshMilliseconds, this);
    refresh();
}

void VideoControlsPane::hideEvent(QHideEvent*) {
    refreshTimer_.stop();
}

}  // namespace lumivex

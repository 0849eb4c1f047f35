#include "media/qt_video_player.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QTimer>
#include <QVideoFrame>
#include <QVideoSink>

#include <cmath>

namespace lumivex {

QtVideoPlayer::QtVideoPlayer(QObject* parent)
    : VideoPlayer(parent),
      audio_(std::make_unique<QAudioOutput>()),
      sink_(std::make_unique<QVideoSink>()),
      player_(std::make_unique<QMediaPlayer>()) {
    player_->setAudioOutput(audio_.get());
    player_->setVideoOutput(sink_.get());
    connect(audio_.get(), &QAudioOutput::volumeChanged, this, &VideoPlayer::volumeChanged);
    connect(audio_.get(), &QAudioOutput::mutedChanged, this, &VideoPlayer::mutedChanged);
    connect(sink_.get(), &QVideoSink::videoFrameChanged, this, &QtVideoPlayer::showFrame);
    // Media with sound alone has no picture to wait for once its tracks are known.
    connect(player_.get(), &QMediaPlayer::mediaStatusChanged, this,
            [this](QMediaPlayer::MediaStatus status) {
                if (status == QMediaPlayer::LoadedMedia && !player_->hasVideo()) {
                    announceFirstFrame();
                }
            });
    connect(player_.get(), &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error, const QString& description) {
                if (item_ != 0) {
                    Q_EMIT playbackFailed(description);
                }
            });
}

QtVideoPlayer::~QtVideoPlayer() {
    cancelPendingSeeks();
    player_->stop();
}

// The output left keeps no picture of this player's media.
void QtVideoPlayer::setVideoOutput(QVideoSink* output) {
    if (output_ == output) {
        return;
    }
    if (output_) {
        output_->setVideoFrame(QVideoFrame());
    }
    output_ = output;
    if (output_ && frameShown_) {
        output_->setVideoFrame(sink_->videoFrame());
    }
}

void QtVideoPlayer::setSource(const QUrl& url) {
    cancelPendingSeeks();
    item_ = url.isEmpty() ? 0 : ++lastItem_;
    frameShown_ = false;
    player_->setSource(url);
}

void QtVideoPlayer::showFrame(const QVideoFrame& frame) {
    if (output_) {
        output_->setVideoFrame(frame);
    }
    if (frame.isValid()) {
        announceFirstFrame();
    }
}

void QtVideoPlayer::announceFirstFrame() {
    if (item_ != 0 && !frameShown_) {
        frameShown_ = true;
        Q_EMIT firstFrameShown();
    }
}

bool QtVideoPlayer::isReadyToPlay() const {
    switch (player_->mediaStatus()) {
        case QMediaPlayer::LoadedMedia:
        case QMediaPlayer::StalledMedia:
        case QMediaPlayer::BufferingMedia:
        case QMediaPlayer::BufferedMedia:
        case QMediaPlayer::EndOfMedia:
            return item_ != 0;
        case QMediaPlayer::NoMedia:
        case QMediaPlayer::LoadingMedia:
        case QMediaPlayer::InvalidMedia:
            break;
    }
    return false;
}

double QtVideoPlayer::currentTime() const {
    return static_cast<double>(player_->position()) / 1000;
}

std::optional<double> QtVideoPlayer::duration() const {
    const qint64 milliseconds = player_->duration();
    if (milliseconds <= 0) {
        return std::nullopt;
    }
    return static_cast<double>(milliseconds) / 1000;
}

float QtVideoPlayer::rate() const {
    return player_->playbackState() == QMediaPlayer::PlayingState
               ? static_cast<float>(player_->playbackRate())
               : 0.0f;
}

void QtVideoPlayer::setRate(float rate) {
    if (!(rate > 0) || !std::isfinite(rate)) {
        player_->pause();
        return;
    }
    if (player_->playbackRate() != static_cast<qreal>(rate)) {
        player_->setPlaybackRate(rate);
    }
    player_->play();
}

float QtVideoPlayer::volume() const {
    return audio_->volume();
}

void QtVideoPlayer::setVolume(float volume) {
    audio_->setVolume(volume);
}

bool QtVideoPlayer::isMuted() const {
    return audio_->isMuted();
}

void QtVideoPlayer::setMuted(bool muted) {
    audio_->setMuted(muted);
}

// Qt seeks to the nearest position it can reach and has no tolerance to give.
void QtVideoPlayer::seek(double seconds, double, SeekCompletion completion) {
    cancelPendingSeeks();
    if (item_ == 0 || !player_->isSeekable() || !std::isfinite(seconds)) {
        completion(false);
        return;
    }
    pendingSeek_ = std::move(completion);
    const std::uint64_t serial = ++seekSerial_;
    player_->setPosition(static_cast<qint64>(std::llround(seconds * 1000)));
    QTimer::singleShot(0, this, [this, serial] { completeSeek(serial, true); });
}

void QtVideoPlayer::cancelPendingSeeks() {
    ++seekSerial_;
    if (SeekCompletion completion = std::exchange(pendingSeek_, nullptr)) {
        completion(false);
    }
}

void QtVideoPlayer::completeSeek(std::uint64_t serial, bool finished) {
    if (serial != seekSerial_) {
        return;
    }
    if (SeekCompletion completion = std::exchange(pendingSeek_, nullptr)) {
        completion(finished);
    }
}

}  // namespace lumivex

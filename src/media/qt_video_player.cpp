#include "media/qt_video_player.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QTimer>

#include <cmath>

namespace lumivex {

QtVideoPlayer::QtVideoPlayer(QObject* parent)
    : VideoPlayer(parent),
      audio_(std::make_unique<QAudioOutput>()),
      player_(std::make_unique<QMediaPlayer>()) {
    player_->setAudioOutput(audio_.get());
    connect(audio_.get(), &QAudioOutput::volumeChanged, this, &VideoPlayer::volumeChanged);
    connect(audio_.get(), &QAudioOutput::mutedChanged, this, &VideoPlayer::mutedChanged);
}

QtVideoPlayer::~QtVideoPlayer() {
    cancelPendingSeeks();
    player_->stop();
}

void QtVideoPlayer::setVideoOutput(QObject* output) {
    player_->setVideoOutput(output);
}

void QtVideoPlayer::setSource(const QUrl& url) {
    cancelPendingSeeks();
    item_ = url.isEmpty() ? 0 : ++lastItem_;
    player_->setSource(url);
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

#pragma once

#include "media/video_player.h"

#include <QUrl>

#include <memory>

class QAudioOutput;
class QMediaPlayer;

namespace lumivex {

// The application's player: Qt Multimedia's QMediaPlayer with a QAudioOutput. Qt takes a new
// position at once and its pipeline catches up, so a seek completes on the next turn of the event
// loop unless a newer seek or a change of media comes first. Main thread.
class QtVideoPlayer final : public VideoPlayer {
public:
    explicit QtVideoPlayer(QObject* parent = nullptr);
    ~QtVideoPlayer() override;

    // The player itself, for the view that shows its picture and for status reports.
    QMediaPlayer* mediaPlayer() const { return player_.get(); }

    // Loads new media; an empty URL leaves the player without any.
    void setSource(const QUrl& url);

    std::uint64_t currentItem() const override { return item_; }
    bool isReadyToPlay() const override;
    double currentTime() const override;
    std::optional<double> duration() const override;
    float rate() const override;
    void setRate(float rate) override;
    float volume() const override;
    void setVolume(float volume) override;
    bool isMuted() const override;
    void setMuted(bool muted) override;
    void seek(double seconds, double tolerance, SeekCompletion completion) override;
    void cancelPendingSeeks() override;
    void removeItem() override { setSource({}); }
    void setVideoOutput(QObject* output) override;

private:
    void completeSeek(std::uint64_t serial, bool finished);

    std::unique_ptr<QAudioOutput> audio_;
    std::unique_ptr<QMediaPlayer> player_;
    std::uint64_t item_ = 0;
    std::uint64_t lastItem_ = 0;
    std::uint64_t seekSerial_ = 0;
    SeekCompletion pendingSeek_;
};

}  // namespace lumivex

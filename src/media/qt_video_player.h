#pragma once

#include "media/video_player.h"

#include <QPointer>
#include <QUrl>

#include <memory>

class QAudioOutput;
class QMediaPlayer;
class QVideoFrame;

namespace lumivex {

// The application's player: Qt Multimedia's QMediaPlayer with a QAudioOutput. Qt takes a new
// position at once and its pipeline catches up, so a seek completes on the next turn of the event
// loop unless a newer seek or a change of media comes first.
//
// The pipeline draws into a sink of the player's own, which hands each picture on to the output
// shown. A video widget's sink gets its graphics context only when its window is first drawn, and
// GStreamer then swaps its sink element inside a running pipeline, which on a busy machine can
// leave the pipeline paused for good with a black picture; a sink that never gets a context is
// never swapped. Main thread.
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
    void setVideoOutput(QVideoSink* output) override;

private:
    void completeSeek(std::uint64_t serial, bool finished);
    void showFrame(const QVideoFrame& frame);
    void announceFirstFrame();

    std::unique_ptr<QAudioOutput> audio_;
    std::unique_ptr<QVideoSink> sink_;
    std::unique_ptr<QMediaPlayer> player_;
    QPointer<QVideoSink> output_;
    bool frameShown_ = false;
    std::uint64_t item_ = 0;
    std::uint64_t lastItem_ = 0;
    std::uint64_t seekSerial_ = 0;
    SeekCompletion pendingSeek_;
};

}  // namespace lumivex

#pragma once

#include "media/video_player.h"

#include <QList>

namespace lumivex::test {

// A player whose state the test sets and whose seeks wait until the test finishes them.
class FakeVideoPlayer final : public VideoPlayer {
public:
    struct SeekRequest {
        double target = 0;
        double tolerance = 0;
        SeekCompletion completion;
    };

    using VideoPlayer::VideoPlayer;

    std::uint64_t currentItem() const override { return item; }
    bool isReadyToPlay() const override { return ready; }
    double currentTime() const override { return time; }
    std::optional<double> duration() const override { return length; }
    float rate() const override { return currentRate; }
    void setRate(float rate) override;
    float volume() const override { return currentVolume; }
    void setVolume(float volume) override;
    bool isMuted() const override { return muted; }
    void setMuted(bool muted) override;
    void seek(double seconds, double tolerance, SeekCompletion completion) override;
    void cancelPendingSeeks() override;
    void removeItem() override;
    void setVideoOutput(QVideoSink* output) override { videoOutput = output; }

    // Finishes the oldest pending seek; a finished seek moves the current time to its target.
    void finishSeek(bool finished = true);

    std::uint64_t item = 1;
    bool ready = true;
    double time = 0;
    std::optional<double> length = 60.0;
    float currentRate = 0;
    float currentVolume = 1;
    bool muted = false;

    QList<SeekRequest> pendingSeeks;
    QList<double> seekTargets;  // every seek asked for, in order
    QList<float> rates;         // every rate set, in order
    int cancelledSeekBatches = 0;
    QVideoSink* videoOutput = nullptr;
};

}  // namespace lumivex::test

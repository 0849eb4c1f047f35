#include "support/fake_video_player.h"

namespace lumivex::test {

void FakeVideoPlayer::setRate(float rate) {
    currentRate = rate;
    rates.append(rate);
}

void FakeVideoPlayer::setVolume(float volume) {
    if (volume != currentVolume) {
        currentVolume = volume;
        Q_EMIT volumeChanged(volume);
    }
}

void FakeVideoPlayer::setMuted(bool value) {
    if (value != muted) {
        muted = value;
        Q_EMIT mutedChanged(value);
    }
}

void FakeVideoPlayer::seek(double seconds, double tolerance, SeekCompletion completion) {
    seekTargets.append(seconds);
    pendingSeeks.append({seconds, tolerance, std::move(completion)});
}

void FakeVideoPlayer::cancelPendingSeeks() {
    ++cancelledSeekBatches;
    const QList<SeekRequest> cancelled = std::exchange(pendingSeeks, {});
    for (const SeekRequest& request : cancelled) {
        request.completion(false);
    }
}

void FakeVideoPlayer::removeItem() {
    item = 0;
    ready = false;
}

void FakeVideoPlayer::finishSeek(bool finished) {
    if (pendingSeeks.isEmpty()) {
        return;
    }
    const SeekRequest request = pendingSeeks.takeFirst();
    if (finished) {
        time = request.target;
    }
    request.completion(finished);
}

}  // namespace lumivex::test

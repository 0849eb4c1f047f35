#include "media/video_seek_controller.h"

#include "media/video_keyboard_action.h"

#include <QCoreApplication>

namespace lumivex {

namespace {

VideoSeekController::SeekFunction playerSeek(VideoPlayer* player) {
    return [player = QPointer<VideoPlayer>(player)](double target,
                                                    VideoPlayer::SeekCompletion completion) {
        if (!player) {
            completion(false);
            return;
        }
        player->seek(target, VideoSeekController::seekTolerance, std::move(completion));
    };
}

}  // namespace

VideoSeekController::VideoSeekController(VideoPlayer* player, SeekFunction seek, QObject* parent)
    : QObject(parent), player_(player), seek_(seek ? std::move(seek) : playerSeek(player)) {}

bool VideoSeekController::skip(double offset) {
    if (!player_ || player_->currentItem() == 0 || !player_->isReadyToPlay()) {
        return false;
    }
    const double start = target_ ? *target_ : player_->currentTime();
    const std::optional<double> wanted =
        VideoKeyboardAction::seekTarget(start, player_->duration(), offset);
    if (!wanted) {
        return false;
    }
    if (!resumeRate_) {
        resumeRate_ = player_->rate();
        player_->pause();
    }
    target_ = wanted;
    if (!inFlight_) {
        seekNext();
    }
    return true;
}

void VideoSeekController::cancel(bool restorePlayback) {
    const std::optional<float> saved = resumeRate_;
    ++generation_;
    target_.reset();
    inFlight_ = false;
    resumeRate_.reset();
    if (saved && player_) {
        player_->cancelPendingSeeks();
        if (restorePlayback && *saved > 0) {
            player_->setRate(*saved);
        }
    }
}

void VideoSeekController::changeResumeRate(float rate) {
    if (resumeRate_) {
        resumeRate_ = rate;
    }
}

void VideoSeekController::seekNext() {
    if (!target_ || !player_ || player_->currentItem() == 0) {
        cancel(false);
        return;
    }
    const std::uint64_t generation = generation_;
    const std::uint64_t item = player_->currentItem();
    const double sent = *target_;
    inFlight_ = true;
    // The completion may come on any thread; the controller is only touched on its own.
    seek_(sent,
          [self = QPointer<VideoSeekController>(this), generation, item, sent](bool finished) {
              QMetaObject::invokeMethod(
                  QCoreApplication::instance(),
                  [self, generation, item, sent, finished] {
                      if (self) {
                          self->seekEnded(generation, item, sent, finished);
                      }
                  },
                  Qt::QueuedConnection);
          });
}

void VideoSeekController::seekEnded(std::uint64_t generation, std::uint64_t item, double sent,
                                    bool finished) {
    if (generation != generation_) {
        return;
    }
    if (!player_ || player_->currentItem() != item) {
        cancel(false);
        return;
    }
    inFlight_ = false;
    // Intermediate targets are skipped: only the latest one is sought next.
    if (finished && target_ && *target_ != sent) {
        seekNext();
        return;
    }
    const std::optional<float> saved = resumeRate_;
    target_.reset();
    resumeRate_.reset();
    if (saved && *saved > 0) {
        player_->setRate(*saved);
    }
}

}  // namespace lumivex

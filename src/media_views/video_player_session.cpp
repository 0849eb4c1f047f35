#include "media_views/video_player_session.h"

#include "media/video_player.h"
#include "media_views/lumivex_video_player_view.h"

#include <QDebug>

namespace lumivex {

VideoPlayerSession::VideoPlayerSession(UserDefaults& defaults, std::function<double()> uptime,
                                       int firstFrameAllowance)
    : view_(std::make_unique<LumivexVideoPlayerView>(defaults, std::move(uptime))),
      firstFrameAllowance_(firstFrameAllowance) {
    failureTimer_.setSingleShot(true);
    QObject::connect(&failureTimer_, &QTimer::timeout, &failureTimer_, [this] { reportFailure(); });
}

VideoPlayerSession::~VideoPlayerSession() {
    endWatch();
    // A host still holding the view would delete it with its children; take it back first.
    view_->setParent(nullptr);
}

void VideoPlayerSession::watchPlayback(VideoPlayer& player, std::function<void()> failed) {
    endWatch();
    failed_ = std::move(failed);
    connections_.push_back(QObject::connect(&player, &VideoPlayer::firstFrameShown, &failureTimer_,
                                            [this] { failureTimer_.stop(); }));
    // The failure is reported from the timer: the player may be destroyed by the report.
    connections_.push_back(QObject::connect(&player, &VideoPlayer::playbackFailed, &failureTimer_,
                                            [this](const QString& description) {
                                                failure_ = description;
                                                failureTimer_.start(0);
                                            }));
    connections_.push_back(
        QObject::connect(&player, &QObject::destroyed, &failureTimer_, [this] { endWatch(); }));
    failureTimer_.start(firstFrameAllowance_);
}

void VideoPlayerSession::endWatch() {
    failureTimer_.stop();
    for (const QMetaObject::Connection& connection : connections_) {
        QObject::disconnect(connection);
    }
    connections_.clear();
    failed_ = nullptr;
    failure_.clear();
}

void VideoPlayerSession::reportFailure() {
    if (!failed_) {
        return;
    }
    qWarning().noquote()
        << "video playback failed:"
        << (failure_.isEmpty() ? QStringLiteral("no picture within %1 ms").arg(firstFrameAllowance_)
                               : failure_);
    std::function<void()> failed = std::exchange(failed_, nullptr);
    endWatch();
    failed();
}

}  // namespace lumivex

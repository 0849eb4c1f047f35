#pragma once

#include "media/video_compatibility.h"

#include <QFutureWatcher>
#include <QObject>
#include <QPromise>
#include <QTimer>

#include <exception>
#include <functional>
#include <memory>

namespace lumivex {

struct ConversionControl;

// One call of VideoCompatibility::playbackURL: the checks, clean-ups and file moves on the main
// thread, the reading of the source and the conversion on a worker thread between them. Made by
// start() and deleted by itself once its future has finished. Main thread.
class VideoPlaybackPreparation : public QObject {
public:
    static QFuture<QString> start(const QString& video, const QString& root,
                                  VideoCompatibility::ProgressHandler progress,
                                  std::shared_ptr<const VideoConverter> converter, Clock clock);
    ~VideoPlaybackPreparation() override;

private:
    VideoPlaybackPreparation(const QString& video, const QString& root,
                             VideoCompatibility::ProgressHandler progress,
                             std::shared_ptr<const VideoConverter> converter, Clock clock);

    // Runs `work` on the worker pool and `then` back here with its result or its exception.
    void onWorker(std::function<bool()> work,
                  void (VideoPlaybackPreparation::*then)(bool, std::exception_ptr));

    void inspected(bool needsCopy, std::exception_ptr failure);
    void prepareCopy();
    void converted(bool ignored, std::exception_ptr failure);
    void verified(bool stillAV1, std::exception_ptr failure);
    void moveIntoPlace();
    void reportProgress();

    bool cancelled() const;
    void succeed(const QString& path);
    void fail(std::exception_ptr failure);
    void endCancelled();
    void end();

    QString video_;
    QString root_;
    VideoCompatibility::ProgressHandler progress_;
    std::shared_ptr<const VideoConverter> converter_;
    Clock clock_;
    QPromise<QString> promise_;
    QFutureWatcher<QString> watcher_;
    std::shared_ptr<ConversionControl> control_;
    QTimer progressTimer_;
    QString key_;
    QString destination_;
    QString temporary_;
};

}  // namespace lumivex

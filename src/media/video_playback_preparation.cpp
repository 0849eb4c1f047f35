#include "media/video_playback_preparation.h"

#include "media/h264_mp4_converter.h"
#include "media/video_converter.h"
#include "platform/error.h"
#include "platform/uuid_text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThreadPool>
#include <QUuid>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>

namespace lumivex {

namespace {

Q_GLOBAL_STATIC(QThreadPool, conversionPool)

constexpr int progressInterval = 250;  // milliseconds

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

// A non-empty regular file, not a symbolic link.
bool usable(const QString& path) {
    struct stat info {};
    return lstat(encoded(path).constData(), &info) == 0 && S_ISREG(info.st_mode) &&
           info.st_size > 0;
}

// Only the modification date moves: the cache keeps what is watched.
void touch(const QString& path, Date at) {
    const double whole = std::floor(at.secondsSince1970);
    const struct timespec times[2] = {
        {0, UTIME_OMIT},
        {static_cast<time_t>(whole), static_cast<long>((at.secondsSince1970 - whole) * 1e9)}};
    utimensat(AT_FDCWD, encoded(path).constData(), times, AT_SYMLINK_NOFOLLOW);
}

void removeAnything(const QString& path) {
    struct stat info {};
    if (lstat(encoded(path).constData(), &info) != 0) {
        return;
    }
    if (S_ISDIR(info.st_mode)) {
        QDir(path).removeRecursively();
    } else {
        unlink(encoded(path).constData());
    }
}

// Creates the folder and its missing parents for the owner alone.
void makePrivateFolder(const QString& path) {
    const QString cleaned = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    qsizetype next = 1;
    while (next > 0) {
        next = cleaned.indexOf(u'/', next + 1);
        const QByteArray part = encoded(next < 0 ? cleaned : cleaned.left(next));
        if (mkdir(part.constData(), 0700) != 0 && errno != EEXIST) {
            throw Error::fromErrno(errno, cleaned);
        }
    }
    struct stat info {};
    if (stat(encoded(cleaned).constData(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        throw Error::fromErrno(errno == 0 ? ENOTDIR : errno, cleaned);
    }
}

// Moves without ever replacing a copy that another conversion put there first.
bool moveWithoutReplacing(const QString& from, const QString& to, int& failure) {
    if (renameat2(AT_FDCWD, encoded(from).constData(), AT_FDCWD, encoded(to).constData(),
                  RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno == EINVAL && link(encoded(from).constData(), encoded(to).constData()) == 0) {
        unlink(encoded(from).constData());
        return true;
    }
    failure = errno;
    return false;
}

}  // namespace

QFuture<QString> VideoPlaybackPreparation::start(const QString& video, const QString& root,
                                                 VideoCompatibility::ProgressHandler progress,
                                                 std::shared_ptr<const VideoConverter> converter,
                                                 Clock clock) {
    auto* preparation = new VideoPlaybackPreparation(video, root, std::move(progress),
                                                     std::move(converter), std::move(clock));
    preparation->onWorker([video] { return VideoCompatibility::requiresCopy(video); },
                          &VideoPlaybackPreparation::inspected);
    return preparation->promise_.future();
}

VideoPlaybackPreparation::VideoPlaybackPreparation(const QString& video, const QString& root,
                                                   VideoCompatibility::ProgressHandler progress,
                                                   std::shared_ptr<const VideoConverter> converter,
                                                   Clock clock)
    : video_(video),
      root_(QDir::cleanPath(root)),
      // Without a handler the progress reports go nowhere; the copy is made all the same.
      progress_(progress ? std::move(progress) : [](double) {}),
      converter_(std::move(converter)),
      clock_(std::move(clock)),
      control_(std::make_shared<ConversionControl>()) {
    promise_.start();
    watcher_.setFuture(promise_.future());
    const auto stopConversion = [control = control_] { control->cancelled = true; };
    connect(&watcher_, &QFutureWatcher<QString>::canceled, this, stopConversion);
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, stopConversion);
    // Re-armed after each report, so that reports stay a full interval apart even when the event
    // loop was late for one of them.
    progressTimer_.setSingleShot(true);
    progressTimer_.setTimerType(Qt::PreciseTimer);
    progressTimer_.setInterval(progressInterval);
    connect(&progressTimer_, &QTimer::timeout, this, &VideoPlaybackPreparation::reportProgress);
}

VideoPlaybackPreparation::~VideoPlaybackPreparation() = default;

void VideoPlaybackPreparation::onWorker(
    std::function<bool()> work, void (VideoPlaybackPreparation::*then)(bool, std::exception_ptr)) {
    // This object ends only on the main thread after the worker's answer arrived, so the answer
    // always finds it.
    conversionPool()->start([this, work = std::move(work), then] {
        bool result = false;
        std::exception_ptr failure;
        try {
            result = work();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(
            this, [this, then, result, failure] { (this->*then)(result, failure); },
            Qt::QueuedConnection);
    });
}

void VideoPlaybackPreparation::inspected(bool needsCopy, std::exception_ptr failure) {
    if (cancelled()) {
        return endCancelled();
    }
    if (failure) {
        return fail(failure);
    }
    if (!needsCopy) {
        return succeed(video_);
    }
    try {
        prepareCopy();
    } catch (...) {
        fail(std::current_exception());
    }
}

void VideoPlaybackPreparation::prepareCopy() {
    key_ = VideoCompatibility::cacheKey(video_);
    destination_ = root_ + u'/' + key_ + QStringLiteral(".mp4");
    VideoCompatibility::cleanup(root_, destination_, clock_());
    if (usable(destination_)) {
        touch(destination_, clock_());
        return succeed(destination_);
    }
    removeAnything(destination_);
    makePrivateFolder(root_);
    if (!converter_->isAvailable()) {
        throw VideoCompatibility::makeError(VideoCompatibility::ErrorCode::cannotConvert);
    }
    temporary_ = root_ + QStringLiteral("/.preparing-") + UuidText::upper(QUuid::createUuid()) +
                 QStringLiteral(".mp4");
    progress_(0.0);
    if (cancelled()) {
        control_->cancelled = true;
    }
    progressTimer_.start();
    onWorker(
        [converter = converter_, control = control_, source = video_, temporary = temporary_] {
            try {
                converter->convert(source, temporary, *control);
            } catch (const VideoConverter::Cancelled&) {
                // Removed here too: when the application quits, nothing else will.
                QFile::remove(temporary);
                throw;
            }
            return true;
        },
        &VideoPlaybackPreparation::converted);
}

void VideoPlaybackPreparation::converted(bool, std::exception_ptr failure) {
    progressTimer_.stop();
    if (failure) {
        return fail(failure);
    }
    if (cancelled()) {
        return endCancelled();
    }
    try {
        if (VideoCompatibility::cacheKey(video_) != key_ || !usable(temporary_)) {
            throw VideoCompatibility::makeError(VideoCompatibility::ErrorCode::sourceChanged);
        }
    } catch (...) {
        return fail(std::current_exception());
    }
    onWorker([temporary = temporary_] { return VideoCompatibility::requiresCopy(temporary); },
             &VideoPlaybackPreparation::verified);
}

void VideoPlaybackPreparation::verified(bool stillAV1, std::exception_ptr failure) {
    if (failure) {
        return fail(failure);
    }
    if (stillAV1) {
        return fail(std::make_exception_ptr(
            VideoCompatibility::makeError(VideoCompatibility::ErrorCode::stillAV1)));
    }
    if (cancelled()) {
        return endCancelled();
    }
    try {
        moveIntoPlace();
    } catch (...) {
        fail(std::current_exception());
    }
}

void VideoPlaybackPreparation::moveIntoPlace() {
    int failure = 0;
    // A failed move is fine when an overlapping conversion of the same video finished first.
    if (!moveWithoutReplacing(temporary_, destination_, failure) && !usable(destination_)) {
        throw Error::fromErrno(failure, destination_);
    }
    progress_(1.0);
    VideoCompatibility::cleanup(root_, destination_, clock_());
    succeed(destination_);
}

void VideoPlaybackPreparation::reportProgress() {
    if (cancelled()) {
        control_->cancelled = true;
        return;
    }
    progress_(control_->fraction.load());
    progressTimer_.start();
}

bool VideoPlaybackPreparation::cancelled() const {
    return promise_.isCanceled();
}

void VideoPlaybackPreparation::succeed(const QString& path) {
    promise_.addResult(path);
    end();
}

void VideoPlaybackPreparation::fail(std::exception_ptr failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const VideoConverter::Cancelled&) {
        return endCancelled();
    } catch (...) {
        promise_.setException(failure);
    }
    end();
}

void VideoPlaybackPreparation::endCancelled() {
    promise_.future().cancel();
    end();
}

void VideoPlaybackPreparation::end() {
    progressTimer_.stop();
    if (!temporary_.isEmpty()) {
        unlink(encoded(temporary_).constData());
    }
    promise_.finish();
    deleteLater();
}

}  // namespace lumivex

namespace lumivex::VideoCompatibility {

QFuture<QString> playbackURL(const QString& video, const QString& root, ProgressHandler progress) {
    return playbackURL(video, root, std::move(progress), std::make_shared<H264Mp4Converter>(),
                       &Date::now);
}

QFuture<QString> playbackURL(const QString& video, const QString& root, ProgressHandler progress,
                             std::shared_ptr<const VideoConverter> converter, Clock clock) {
    return VideoPlaybackPreparation::start(video, root, std::move(progress), std::move(converter),
                                           std::move(clock));
}

}  // namespace lumivex::VideoCompatibility

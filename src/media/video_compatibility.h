#pragma once

#include "platform/date.h"

#include <QFuture>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace lumivex {

class Error;
class VideoConverter;

// Playable copies of videos the player cannot play itself (an AV1 picture): one MPEG-4 copy of
// H.264 and AAC per state of the source, kept in a cache folder and named by a key that changes
// whenever the source does. Called on the main thread; conversions run on a worker thread.
namespace VideoCompatibility {

inline const QString errorDomain = QStringLiteral("Lumivex.Video");

enum class ErrorCode {
    cannotConvert = 1,  // no conversion can be made for the video
    sourceChanged = 2,  // the source changed while it was converted, or the copy is unusable
    stillAV1 = 3,       // the copy still has an AV1 picture
};

Error makeError(ErrorCode code);

// The cache folder, ~/.cache/Lumivex/VideoCompatibility. Computed once; nothing is created.
const QString& root();

// Whether the file has a video stream coded in AV1. Reads the container's header only. Throws
// Error when the file cannot be opened as a media file.
bool requiresCopy(const QString& path);

// 64 lower-case hex digits: the SHA-256 of the copy format's version, the resolved path, the size
// and the modification and creation times. Throws Error when the file cannot be examined.
QString cacheKey(const QString& path);

// Removes from `root` the copies unused for 7 days, temporary files older than 1 day, and then,
// while the copies take more than 2 GiB, the least recently used ones. Never touches `preserving`,
// names of other forms, folders or links; never fails (a problem leaves the file where it is).
void cleanup(const QString& root, const std::optional<QString>& preserving, Date at);

// Called on the main thread with a fraction from 0 to 1.
using ProgressHandler = std::function<void(double)>;

// The path to play for `video`: the video itself when it needs no copy (nothing is written and
// `progress` is never called), else its copy in `root`, made now when it is not there yet, with
// progress reported at most every 0.25 seconds. The future holds the path, or the Error that
// stopped it; cancelling the future stops a running conversion. Temporary files never outlive
// the call.
QFuture<QString> playbackURL(const QString& video, const QString& root, ProgressHandler progress);
// The same with another conversion and clock, for tests and benchmarks.
QFuture<QString> playbackURL(const QString& video, const QString& root, ProgressHandler progress,
                             std::shared_ptr<const VideoConverter> converter, Clock clock);

}  // namespace VideoCompatibility
}  // namespace lumivex

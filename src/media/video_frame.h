#pragma once

#include "media/thumbnail_scaling.h"

#include <QImage>
#include <QString>

#include <atomic>
#include <optional>

namespace lumivex {

// One still of a video for its thumbnail, read through the FFmpeg libraries on the calling thread.
namespace VideoFrame {

// Where a thumbnail looks into a video: half its length but at most one second in, so short clips
// show their middle and long ones skip a black lead-in quickly; the start when the length is
// unknown.
double frameTime(std::optional<double> duration);

// The frame shown at `seconds` within half a second either way (a key frame in that window is
// taken without decoding further), shrunk to fit a square of `size` pixels (or to cover it, as
// `scaling` says) with the stream's pixel aspect and rotation applied. Null when the file has no
// decodable video frame or when `cancelled` is set meanwhile; a time beyond the end gives the
// last frame.
QImage grab(const QString& path, double seconds, int size, const std::atomic<bool>& cancelled,
            ThumbnailScaling scaling = ThumbnailScaling::fit);

}  // namespace VideoFrame
}  // namespace lumivex

#pragma once

#include <QString>

#include <atomic>

namespace lumivex {

// What a running conversion and its caller share across threads: the caller asks it to stop, the
// conversion reports how far it has come.
struct ConversionControl {
    std::atomic<bool> cancelled = false;
    // From 0 to 1, raised by the conversion as it goes.
    std::atomic<double> fraction = 0;
};

// Makes a copy of a video that the application's player can play. The interface lets tests put a
// scripted conversion in place of the real one.
class VideoConverter {
public:
    // Thrown by convert when `control.cancelled` was seen.
    struct Cancelled {};

    virtual ~VideoConverter() = default;

    // Whether the codecs a conversion needs exist on this machine. Quick; any thread.
    virtual bool isAvailable() const = 0;

    // Writes the copy of `source` to `destination` on the calling thread (a worker). Throws Error
    // when the source cannot be read or the copy cannot be written, Cancelled when asked to stop.
    // A partly written destination is left for the caller to remove.
    virtual void convert(const QString& source, const QString& destination,
                         ConversionControl& control) const = 0;
};

}  // namespace lumivex

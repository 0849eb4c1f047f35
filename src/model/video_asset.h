#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>

struct AVFormatContext;
struct AVIOContext;

namespace lumivex {

class ReadOnlyFile;

// One video file opened through libavformat for its container metadata and its length. Opening
// reads the container header only; frames are never decoded unless the container states no length.
// A file that cannot be opened gives no metadata and no duration. Used on one thread at a time.
// The file is opened once, by us, and libavformat reads it through that descriptor; an ISO media
// file (MP4, QuickTime) is handed straight to the demuxer its header names instead of being
// offered to every demuxer in turn, which costs more than reading its metadata.
class VideoAsset {
public:
    explicit VideoAsset(const QString& path);
    ~VideoAsset();
    VideoAsset(const VideoAsset&) = delete;
    VideoAsset& operator=(const VideoAsset&) = delete;

    bool isOpen() const { return context_ != nullptr; }

    // The length in seconds; nothing when it is unknown, negative or not finite.
    std::optional<double> duration();

    // The value of `key` in the container's metadata, then, when `includeStreams` is set, in each
    // stream's metadata, in stream order.
    QStringList metadataValues(const char* key, bool includeStreams) const;

    // Where libavformat reads the file.
    struct Cursor;

private:
    std::unique_ptr<Cursor> cursor_;
    AVIOContext* io_ = nullptr;
    AVFormatContext* context_ = nullptr;
    bool streamInfoRead_ = false;
};

}  // namespace lumivex

#pragma once

#include <QString>
#include <QStringList>

#include <optional>

struct AVFormatContext;

namespace lumivex {

// One video file opened through libavformat for its container metadata and its length. Opening
// reads the container header only; frames are never decoded unless the container states no length.
// A file that cannot be opened gives no metadata and no duration. Used on one thread at a time.
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

private:
    AVFormatContext* context_ = nullptr;
    bool streamInfoRead_ = false;
};

}  // namespace lumivex

#include "media/photo_file_facts.h"

#include "model/capture_date_reader.h"
#include "model/video_asset.h"
#include "platform/file_status.h"

namespace lumivex {

PhotoFileFacts::Facts PhotoFileFacts::of(const QString& path, MediaContent content,
                                         const FileStatus& status) {
    {
        std::lock_guard lock(mutex_);
        const auto known = entries_.constFind(path);
        if (known != entries_.cend() && known->size == status.size &&
            known->modified == status.modified) {
            return known->facts;
        }
    }
    // Read without the lock: other threads need not wait for this file.
    const Facts facts = read(path, content);
    std::lock_guard lock(mutex_);
    entries_.insert(path, {status.size, status.modified, facts});
    return facts;
}

PhotoFileFacts::Facts PhotoFileFacts::read(const QString& path, MediaContent content) {
    if (content != MediaContent::video) {
        return {CaptureDateReader::imageDate(path), std::nullopt};
    }
    VideoAsset video(path);
    return {CaptureDateReader::videoDate(video), video.duration()};
}

}  // namespace lumivex

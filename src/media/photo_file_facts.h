#pragma once

#include "platform/date.h"
#include "platform/media_type.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <mutex>
#include <optional>

namespace lumivex {

struct FileStatus;

// What the photo library reads from inside a file: the capture date and a video's length.
// Kept per path and read again only when the file's size or modification date changed, so a
// listing of an unchanged library opens no file. Safe on any thread.
class PhotoFileFacts {
public:
    struct Facts {
        std::optional<Date> captured;
        std::optional<double> duration;  // videos only
    };

    Facts of(const QString& path, MediaContent content, const FileStatus& status);

private:
    struct Entry {
        std::int64_t size = 0;
        std::optional<Date> modified;
        Facts facts;
    };

    static Facts read(const QString& path, MediaContent content);

    std::mutex mutex_;
    QHash<QString, Entry> entries_;
};

}  // namespace lumivex

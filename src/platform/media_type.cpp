#include "platform/media_type.h"

#include <QHash>
#include <QMimeDatabase>
#include <QMimeType>
#include <QString>

#include <algorithm>
#include <array>
#include <mutex>

namespace lumivex::MediaType {

namespace {

MediaContent contentOfExtension(const QString& extension) {
    const QMimeType type = QMimeDatabase().mimeTypeForFile(QStringLiteral("file.") + extension,
                                                           QMimeDatabase::MatchExtension);
    const QString name = type.name();
    if (name.startsWith(u"image/")) {
        return MediaContent::photo;
    }
    if (name.startsWith(u"video/")) {
        return MediaContent::video;
    }
    return MediaContent::none;
}

struct Cache {
    std::mutex mutex;
    QHash<QString, MediaContent> contents;
};

Cache& cache() {
    static Cache shared;
    return shared;
}

// A folder mixes a few extensions ("jpg", "JPG", "mov", "png"), so each thread remembers its
// last answers as spelled and skips the lower-casing and the lock for them.
struct RecentAnswers {
    static constexpr std::size_t capacity = 8;
    std::array<QString, capacity> extensions;
    std::array<MediaContent, capacity> contents{};
    std::size_t used = 0;
    std::size_t next = 0;  // the slot the next new answer replaces

    const MediaContent* find(QStringView extension) const {
        for (std::size_t i = 0; i < used; ++i) {
            if (extensions[i] == extension) {
                return &contents[i];
            }
        }
        return nullptr;
    }

    MediaContent remember(QStringView extension, MediaContent content) {
        extensions[next] = extension.toString();
        contents[next] = content;
        used = std::max(used, next + 1);
        next = (next + 1) % capacity;
        return content;
    }
};

MediaContent cachedContent(const QString& extension) {
    Cache& shared = cache();
    std::lock_guard lock(shared.mutex);
    const auto found = shared.contents.constFind(extension);
    if (found != shared.contents.cend()) {
        return *found;
    }
    // The MIME database is itself thread-safe; holding the lock keeps each extension looked up
    // once, and misses are rare (a library has a handful of extensions).
    const MediaContent content = contentOfExtension(extension);
    shared.contents.insert(extension, content);
    return content;
}

}  // namespace

MediaContent ofFile(QStringView fileName) {
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0 || dot + 1 == fileName.size()) {
        return MediaContent::none;
    }
    const QStringView extension = fileName.sliced(dot + 1);
    thread_local RecentAnswers recent;
    if (const MediaContent* known = recent.find(extension)) {
        return *known;
    }
    return recent.remember(extension, cachedContent(extension.toString().toLower()));
}

}  // namespace lumivex::MediaType

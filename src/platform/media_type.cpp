#include "platform/media_type.h"

#include <QHash>
#include <QMimeDatabase>
#include <QMimeType>
#include <QString>

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

// Neighbouring files mostly share an extension, so each thread remembers its last answer and
// skips the lower-casing and the lock for runs of the same extension.
struct LastAnswer {
    QString extension;
    MediaContent content = MediaContent::none;
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
    thread_local LastAnswer last;
    if (last.extension != extension) {
        last.content = cachedContent(extension.toString().toLower());
        last.extension = extension.toString();
    }
    return last.content;
}

}  // namespace lumivex::MediaType

#include "media/video_compatibility.h"

#include <QDir>
#include <QFile>
#include <QList>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

namespace lumivex::VideoCompatibility {

namespace {

constexpr double temporaryLifetime = 86400;  // seconds
constexpr double copyLifetime = 604800;
constexpr std::int64_t sizeLimit = std::int64_t{1} << 31;

enum class CacheFileKind { copy, temporary, foreign };

CacheFileKind kindOf(QByteArrayView name) {
    static constexpr QByteArrayView extension = ".mp4";
    static constexpr QByteArrayView temporaryPrefix = ".preparing-";
    if (!name.endsWith(extension)) {
        return CacheFileKind::foreign;
    }
    if (name.startsWith(temporaryPrefix)) {
        return CacheFileKind::temporary;
    }
    const QByteArrayView stem = name.chopped(extension.size());
    const bool hexKey = stem.size() == 64 && std::all_of(stem.begin(), stem.end(), [](char c) {
                            return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
                        });
    return hexKey ? CacheFileKind::copy : CacheFileKind::foreign;
}

struct CachedCopy {
    QByteArray name;
    double modified;
    std::int64_t size;
};

double modificationTime(const struct statx& info) {
    if ((info.stx_mask & STATX_MTIME) == 0) {
        return -std::numeric_limits<double>::infinity();  // counts as expired
    }
    return static_cast<double>(info.stx_mtime.tv_sec) +
           static_cast<double>(info.stx_mtime.tv_nsec) / 1e9;
}

// The folder, opened once so that every entry is examined and removed relative to it.
class CacheFolder {
public:
    explicit CacheFolder(const QString& root)
        : stream_(opendir(QFile::encodeName(root).constData())) {}
    ~CacheFolder() {
        if (stream_ != nullptr) {
            closedir(stream_);
        }
    }
    CacheFolder(const CacheFolder&) = delete;
    CacheFolder& operator=(const CacheFolder&) = delete;

    bool isOpen() const { return stream_ != nullptr; }
    const char* nextName() {
        while (const dirent* entry = readdir(stream_)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
                return entry->d_name;
            }
        }
        return nullptr;
    }
    bool examine(const char* name, struct statx& info) const {
        return statx(dirfd(stream_), name, AT_SYMLINK_NOFOLLOW,
                     STATX_TYPE | STATX_MTIME | STATX_SIZE, &info) == 0;
    }
    bool remove(const QByteArray& name) const {
        return unlinkat(dirfd(stream_), name.constData(), 0) == 0;
    }

private:
    DIR* stream_;
};

std::int64_t sizeOf(const std::optional<QString>& path) {
    struct stat info {};
    if (!path || lstat(QFile::encodeName(*path).constData(), &info) != 0) {
        return 0;
    }
    return static_cast<std::int64_t>(info.st_size);
}

// The name of `preserving` when it lies directly in `root`; no other file can equal it.
std::optional<QByteArray> preservedName(const QString& root, const std::optional<QString>& path) {
    if (!path) {
        return std::nullopt;
    }
    const QString cleaned = QDir::cleanPath(*path);
    const qsizetype slash = cleaned.lastIndexOf(u'/');
    if (slash < 0 || cleaned.left(slash) != QDir::cleanPath(root)) {
        return std::nullopt;
    }
    return QFile::encodeName(cleaned.mid(slash + 1));
}

// Removes what has expired and returns the copies that stay, in listing order.
QList<CachedCopy> expire(CacheFolder& folder, const std::optional<QByteArray>& preserved,
                         double now) {
    QList<CachedCopy> kept;
    while (const char* entryName = folder.nextName()) {
        const QByteArray name(entryName);
        struct statx info {};
        if ((preserved && name == *preserved) || !folder.examine(entryName, info) ||
            !S_ISREG(info.stx_mode)) {
            continue;
        }
        const CacheFileKind kind = kindOf(name);
        if (kind == CacheFileKind::foreign) {
            continue;
        }
        const double modified = modificationTime(info);
        const double limit = kind == CacheFileKind::temporary ? temporaryLifetime : copyLifetime;
        if (now - modified >= limit) {
            folder.remove(name);
        } else if (kind == CacheFileKind::copy) {
            const bool sized = (info.stx_mask & STATX_SIZE) != 0;
            kept.append({name, modified, sized ? static_cast<std::int64_t>(info.stx_size) : 0});
        }
    }
    return kept;
}

}  // namespace

void cleanup(const QString& root, const std::optional<QString>& preserving, Date at) {
    CacheFolder folder(root);
    if (!folder.isOpen()) {
        return;
    }
    QList<CachedCopy> copies = expire(folder, preservedName(root, preserving), at.secondsSince1970);
    std::int64_t total = sizeOf(preserving);
    for (const CachedCopy& copy : copies) {
        total += copy.size;
    }
    std::stable_sort(copies.begin(), copies.end(), [](const CachedCopy& a, const CachedCopy& b) {
        return a.modified < b.modified;
    });
    for (const CachedCopy& copy : copies) {
        if (total > sizeLimit && folder.remove(copy.name)) {
            total -= copy.size;
        }
    }
}

}  // namespace lumivex::VideoCompatibility

#include "platform/atomic_file.h"

#include "platform/error.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRandomGenerator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <ctime>

namespace lumivex::AtomicFile {

namespace {

QMutex hookMutex;
FaultHook faultHook;
// Writes may run side by side; their hook calls are made one at a time.
QMutex callMutex;

const QLatin1StringView temporaryMarker(".tmp-");
constexpr int base = 36;
constexpr qsizetype longestNumber = 13;  // 2^64 - 1 in base 36

void reach(Stage stage, const QString& path) {
    FaultHook hook;
    {
        QMutexLocker locker(&hookMutex);
        hook = faultHook;
    }
    if (hook) {
        QMutexLocker locker(&callMutex);
        hook(stage, path);
    }
}

// mkdir -p with the failing folder named in the error.
void makeFolders(const QString& folder) {
    const QByteArray encoded = QFile::encodeName(folder);
    struct stat info {};
    if (::stat(encoded.constData(), &info) == 0 && S_ISDIR(info.st_mode)) {
        return;
    }
    const QString parent = QFileInfo(folder).path();
    if (parent != folder) {
        makeFolders(parent);
    }
    if (::mkdir(encoded.constData(), 0755) != 0 && errno != EEXIST) {
        throw Error::fromErrno(errno, folder);
    }
    if (::stat(encoded.constData(), &info) != 0) {
        throw Error::fromErrno(errno, folder);
    }
    if (!S_ISDIR(info.st_mode)) {
        throw Error::fromErrno(ENOTDIR, folder);
    }
}

void syncFolder(const QString& folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        throw Error::fromErrno(errno, folder);
    }
    const int result = ::fsync(fd);
    const int syncError = errno;
    ::close(fd);
    if (result != 0) {
        throw Error::fromErrno(syncError, folder);
    }
}

// Creates a new hidden file beside `target` and returns its descriptor, with its path in `path`.
int createTemporary(const QString& target, QByteArray& path) {
    const QFileInfo info(target);
    int fd = -1;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = u'.' + info.fileName() + temporaryMarker +
                             QString::number(QRandomGenerator::global()->generate64(), base);
        path = QFile::encodeName(info.path() + u'/' + name);
        fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        throw Error::fromErrno(errno, target);
    }
    return fd;
}

// An open temporary file beside the target; removes itself unless it was renamed away.
class TemporaryFile {
public:
    explicit TemporaryFile(const QString& target)
        : target_(target), fd_(createTemporary(target, path_)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        if (!renamed_) {
            ::unlink(path_.constData());
        }
    }

    void writeAll(const QByteArray& bytes) {
        const char* data = bytes.constData();
        qsizetype left = bytes.size();
        while (left > 0) {
            const ssize_t written = ::write(fd_, data, static_cast<size_t>(left));
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written < 0) {
                throw Error::fromErrno(errno, target_);
            }
            data += written;
            left -= written;
        }
    }

    void syncAndClose() {
        if (::fsync(fd_) != 0) {
            throw Error::fromErrno(errno, target_);
        }
        const int result = ::close(fd_);
        fd_ = -1;
        if (result != 0) {
            throw Error::fromErrno(errno, target_);
        }
    }

    void renameOntoTarget() {
        if (::rename(path_.constData(), QFile::encodeName(target_).constData()) != 0) {
            throw Error::fromErrno(errno, target_);
        }
        renamed_ = true;
    }

private:
    QString target_;
    QByteArray path_;
    int fd_ = -1;
    bool renamed_ = false;
};

}  // namespace

void write(const QString& path, const QByteArray& bytes, MissingFolders missing,
           const std::function<void()>& beforeRename) {
    const QString folder = QFileInfo(path).path();
    if (missing == MissingFolders::create) {
        makeFolders(folder);
    }
    TemporaryFile temporary(path);
    reach(Stage::beforeWrite, path);
    temporary.writeAll(bytes);
    temporary.syncAndClose();
    reach(Stage::beforeRename, path);
    if (beforeRename) {
        beforeRename();
    }
    temporary.renameOntoTarget();
    reach(Stage::afterRename, path);
    syncFolder(folder);
}

void remove(const QString& path) {
    reach(Stage::beforeRemove, path);
    if (::unlink(QFile::encodeName(path).constData()) != 0) {
        throw Error::fromErrno(errno, path);
    }
    reach(Stage::afterRemove, path);
    syncFolder(QFileInfo(path).path());
}

void setFaultHook(FaultHook hook) {
    QMutexLocker locker(&hookMutex);
    faultHook = std::move(hook);
}

bool isTemporaryName(QStringView name, QStringView targetName) {
    if (!name.startsWith(u'.') || !name.mid(1).startsWith(targetName)) {
        return false;
    }
    const QStringView rest = name.mid(1 + targetName.size());
    if (!rest.startsWith(temporaryMarker)) {
        return false;
    }
    const QStringView number = rest.mid(temporaryMarker.size());
    return !number.isEmpty() && number.size() <= longestNumber &&
           std::all_of(number.begin(), number.end(), [](QChar c) {
               return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z');
           });
}

Date fileClockNow() {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return {static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9};
}

Trial::Trial(const QString& path, qint64 bytes) {
    const int fd = createTemporary(path, temporaryPath_);
    const int failure = bytes > 0 ? ::posix_fallocate(fd, 0, bytes) : 0;
    ::close(fd);
    if (failure != 0) {
        ::unlink(temporaryPath_.constData());
        throw Error::fromErrno(failure, path);
    }
}

Trial::~Trial() {
    ::unlink(temporaryPath_.constData());
}

}  // namespace lumivex::AtomicFile

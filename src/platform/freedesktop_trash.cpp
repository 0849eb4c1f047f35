#include "platform/freedesktop_trash.h"

#include "platform/system_reason.h"
#include "platform/trash_destination.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPromise>
#include <QThreadPool>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <memory>
#include <variant>

namespace lumivex {

namespace {

Error moveFailed(const QString& path, const QString& reason) {
    return Error(QStringLiteral("Lumivex.Trash"), 1,
                 QStringLiteral("‘%1’ 파일을 휴지통으로 이동하지 못했습니다. (%2)")
                     .arg(QFileInfo(path).fileName(), reason));
}

QString trashInfoPath(const QString& pathInTrash) {
    const QFileInfo moved(pathInTrash);
    return moved.dir().filePath(QStringLiteral("../info/") + moved.fileName() +
                                QStringLiteral(".trashinfo"));
}

// The name a file takes in the Trash: its own, else with a number before its extension, as
// file managers number them ("a.2.jpg").
QByteArray numberedName(const QByteArray& name, int number) {
    if (number == 1) {
        return name;
    }
    const QByteArray mark = '.' + QByteArray::number(number);
    const qsizetype dot = name.lastIndexOf('.');
    return dot > 0 ? name.left(dot) + mark + name.mid(dot) : name + mark;
}

// File managers read the original location back as an escaped URL path.
QByteArray record(const QByteArray& recordedPath) {
    const QByteArray now =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")).toLatin1();
    return "[Trash Info]\nPath=" + recordedPath.toPercentEncoding("/") + "\nDeletionDate=" + now +
           '\n';
}

bool writeAll(int descriptor, const QByteArray& bytes) {
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t written =
            ::write(descriptor, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (written > 0) {
            done += written;
        } else if (written == 0 || errno != EINTR) {
            return false;
        }
    }
    return true;
}

// The record is created exclusively and written in full before the move, so two moves never
// claim one name and no file sits in the Trash without its record. Gives errno, or 0.
int writeRecord(const QByteArray& infoPath, const QByteArray& bytes) {
    const int descriptor =
        ::open(infoPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        return errno;
    }
    const bool written = writeAll(descriptor, bytes);
    const int failure = errno;
    if (::close(descriptor) != 0 || !written) {
        ::unlink(infoPath.constData());
        return written ? EIO : failure;
    }
    return 0;
}

// Renames without replacing anything; where the file system cannot promise that (NFS), the check
// comes just before the rename.
int renameNoReplace(const QByteArray& from, const QByteArray& to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL) {
        return errno;
    }
    struct stat existing {};
    if (::lstat(to.constData(), &existing) == 0) {
        return EEXIST;
    }
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

// Moves one file (a link itself, never its target); its path in the Trash, or why it stayed.
std::variant<QString, Error> moveOne(const QString& path) {
    const QByteArray from = QFile::encodeName(path);
    struct stat status {};
    if (::lstat(from.constData(), &status) != 0) {
        return moveFailed(path, SystemReason::text(errno));
    }
    const std::optional<TrashDestination> destination = TrashDestination::forFile(path);
    if (!destination) {
        return moveFailed(path, QStringLiteral("휴지통 폴더를 만들 수 없습니다"));
    }
    const QByteArray contents = record(destination->recordedPath);
    const QByteArray name = QFile::encodeName(QFileInfo(path).fileName());
    for (int number = 1;; ++number) {
        const QByteArray taken = numberedName(name, number);
        const QByteArray info = destination->folder + "/info/" + taken + ".trashinfo";
        const QByteArray to = destination->folder + "/files/" + taken;
        int failure = writeRecord(info, contents);
        if (failure == 0) {
            failure = renameNoReplace(from, to);
            if (failure == 0) {
                return QFile::decodeName(to);
            }
            ::unlink(info.constData());
        }
        if (failure != EEXIST) {
            return moveFailed(path, SystemReason::text(failure));
        }
    }
}

TrashOutcome moveAll(const QStringList& paths) {
    TrashOutcome outcome;
    for (const QString& path : paths) {
        const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
        std::variant<QString, Error> moved = moveOne(absolute);
        if (const QString* inTrash = std::get_if<QString>(&moved)) {
            outcome.moved.emplace(path, *inTrash);
        } else if (!outcome.error) {
            outcome.error = std::get<Error>(std::move(moved));
        }
    }
    return outcome;
}

}  // namespace

FreedesktopTrash::FreedesktopTrash(QThreadPool* pool)
    : pool_(pool != nullptr ? pool : QThreadPool::globalInstance()) {}

QFuture<TrashOutcome> FreedesktopTrash::moveToTrash(const QStringList& paths) {
    auto promise = std::make_shared<QPromise<TrashOutcome>>();
    QFuture<TrashOutcome> future = promise->future();
    promise->start();
    pool_->start([promise, paths] {
        promise->addResult(moveAll(paths));
        promise->finish();
    });
    return future;
}

std::optional<Error> FreedesktopTrash::putBack(const QString& pathInTrash,
                                               const QString& original) {
    if (::renameat2(AT_FDCWD, QFile::encodeName(pathInTrash).constData(), AT_FDCWD,
                    QFile::encodeName(original).constData(), RENAME_NOREPLACE) != 0) {
        return Error(QStringLiteral("Lumivex.Trash"), 2,
                     QStringLiteral("‘%1’ 파일을 휴지통에서 되돌리지 못했습니다. (%2)")
                         .arg(QFileInfo(original).fileName(), SystemReason::text(errno)));
    }
    QFile::remove(trashInfoPath(pathInTrash));
    return std::nullopt;
}

}  // namespace lumivex

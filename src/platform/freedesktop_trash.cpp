#include "platform/freedesktop_trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPromise>
#include <QStandardPaths>
#include <QThreadPool>

#include <fcntl.h>
#include <stdio.h>
#include <cerrno>
#include <cstring>
#include <memory>

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

// When QFile cannot set up the home Trash it still "succeeds", having moved the file into
// "files" under the working directory, and reports that relative path. Such a move is put back
// and counts as a failure.
void putBackStrayMove(const QString& strayPath, const QString& original) {
    if (QFile::rename(strayPath, original)) {
        QFile::remove(trashInfoPath(strayPath));
    }
}

TrashOutcome moveAll(const QStringList& paths) {
    // The home Trash sits in the data folder, which QFile will not create.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    TrashOutcome outcome;
    for (const QString& path : paths) {
        QFile file(path);
        // QFile renames the entry itself, so a file swapped for a link moves the link, never
        // its target.
        const bool moved = file.moveToTrash();
        if (moved && QDir::isAbsolutePath(file.fileName())) {
            outcome.moved.emplace(path, file.fileName());
            continue;
        }
        if (moved) {
            putBackStrayMove(file.fileName(), path);
        }
        if (!outcome.error) {
            outcome.error =
                moveFailed(path, moved ? QStringLiteral("휴지통 폴더를 만들 수 없습니다")
                                       : file.errorString());
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
        return Error(
            QStringLiteral("Lumivex.Trash"), 2,
            QStringLiteral("‘%1’ 파일을 휴지통에서 되돌리지 못했습니다. (%2)")
                .arg(QFileInfo(original).fileName(), QString::fromLocal8Bit(std::strerror(errno))));
    }
    QFile::remove(trashInfoPath(pathInTrash));
    return std::nullopt;
}

}  // namespace lumivex

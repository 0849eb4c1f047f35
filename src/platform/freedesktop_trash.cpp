#include "platform/freedesktop_trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPromise>
#include <QStandardPaths>
#include <QThreadPool>

#include <memory>

namespace lumivex {

namespace {

Error moveFailed(const QString& path, const QString& reason) {
    return Error(QStringLiteral("Lumivex.Trash"), 1,
                 QStringLiteral("‘%1’ 파일을 휴지통으로 이동하지 못했습니다. (%2)")
                     .arg(QFileInfo(path).fileName(), reason));
}

// When QFile cannot set up the home Trash it still "succeeds", having moved the file into
// "files" under the working directory, and reports that relative path. Such a move is put back
// and counts as a failure.
void putBackStrayMove(const QString& strayPath, const QString& original) {
    const QFileInfo stray(strayPath);
    if (QFile::rename(strayPath, original)) {
        QFile::remove(stray.dir().filePath(QStringLiteral("../info/") + stray.fileName() +
                                           QStringLiteral(".trashinfo")));
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

QFuture<TrashOutcome> FreedesktopTrash::moveToTrash(const QStringList& paths) {
    auto promise = std::make_shared<QPromise<TrashOutcome>>();
    QFuture<TrashOutcome> future = promise->future();
    promise->start();
    QThreadPool::globalInstance()->start([promise, paths] {
        promise->addResult(moveAll(paths));
        promise->finish();
    });
    return future;
}

}  // namespace lumivex

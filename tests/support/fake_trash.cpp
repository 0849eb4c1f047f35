#include "support/fake_trash.h"

#include "support/futures.h"

#include <QFile>
#include <QFileInfo>

namespace lumivex::test {

QFuture<TrashOutcome> FakeTrash::moveToTrash(const QStringList& paths) {
    calls.append(paths);
    TrashOutcome outcome;
    outcome.error = reportedError;
    for (const QString& path : paths) {
        const QString name = QFileInfo(path).fileName();
        if (refusedNames.contains(name)) {
            continue;
        }
        if (folder.isEmpty()) {
            outcome.moved.emplace(path, QStringLiteral("/trash/") + name);
        } else if (QFile::rename(path, folder + QLatin1Char('/') + name)) {
            outcome.moved.emplace(path, folder + QLatin1Char('/') + name);
        }
    }
    return finishElsewhere(std::move(outcome));
}

std::optional<Error> FakeTrash::putBack(const QString&, const QString& original) {
    const QString name = QFileInfo(original).fileName();
    if (unreturnableNames.contains(name)) {
        return Error(QStringLiteral("Lumivex.Trash"), 2, QStringLiteral("kept ") + name);
    }
    putBacks.append(original);
    return std::nullopt;
}

}  // namespace lumivex::test

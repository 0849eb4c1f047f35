#include "support/fake_trash.h"

#include "support/futures.h"

#include <QFileInfo>

namespace lumivex::test {

QFuture<TrashOutcome> FakeTrash::moveToTrash(const QStringList& paths) {
    calls.append(paths);
    TrashOutcome outcome;
    outcome.error = reportedError;
    for (const QString& path : paths) {
        const QString name = QFileInfo(path).fileName();
        if (!refusedNames.contains(name)) {
            outcome.moved.emplace(path, QStringLiteral("/trash/") + name);
        }
    }
    return finishElsewhere(std::move(outcome));
}

}  // namespace lumivex::test

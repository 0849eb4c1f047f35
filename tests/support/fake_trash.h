#pragma once

#include "platform/trash.h"

#include <QList>
#include <QSet>

namespace lumivex::test {

// A Trash that reports every path as moved to "/trash/<name>" except those whose file name it was
// told to refuse, and answers from another thread like the real one. It moves nothing on disk
// unless given a folder, into which it then really moves the files it reports. Putting back
// records the original path, or fails for names it was told to keep.
class FakeTrash final : public Trash {
public:
    QSet<QString> refusedNames;
    std::optional<Error> reportedError;
    QList<QStringList> calls;         // the paths of every call, in order
    QSet<QString> unreturnableNames;  // put back with an error
    QList<QString> putBacks;          // the original paths put back, in order
    QString folder;

    QFuture<TrashOutcome> moveToTrash(const QStringList& paths) override;
    std::optional<Error> putBack(const QString& pathInTrash, const QString& original) override;
};

}  // namespace lumivex::test

#pragma once

#include "platform/trash.h"

#include <QList>
#include <QSet>

namespace lumivex::test {

// A Trash that reports every path as moved to "/trash/<name>" except those whose file name it was
// told to refuse, and answers from another thread like the real one. It moves nothing on disk
// unless given a folder, into which it then really moves the files it reports.
class FakeTrash final : public Trash {
public:
    QSet<QString> refusedNames;
    std::optional<Error> reportedError;
    QList<QStringList> calls;  // the paths of every call, in order
    QString folder;

    QFuture<TrashOutcome> moveToTrash(const QStringList& paths) override;
};

}  // namespace lumivex::test

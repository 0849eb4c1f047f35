#pragma once

#include "platform/error.h"

#include <QFuture>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>

namespace lumivex {

// What a move to the Trash did: each moved file's former path with its path in the Trash, and
// the first failure, if any. Files missing from `moved` are where they were.
struct TrashOutcome {
    std::map<QString, QString> moved;
    std::optional<Error> error;
};

// Moves files to the user's Trash. Called on the main thread; the moves run elsewhere and the
// future may finish on any thread. The future holds an outcome or is cancelled, never an exception.
class Trash {
public:
    virtual ~Trash() = default;

    virtual QFuture<TrashOutcome> moveToTrash(const QStringList& paths) = 0;
    // Moves a file this Trash moved back to where it was, never over something that took its
    // place meanwhile; the failure, if any. Synchronous, any thread.
    virtual std::optional<Error> putBack(const QString& pathInTrash, const QString& original) = 0;
};

}  // namespace lumivex

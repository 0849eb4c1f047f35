#pragma once

#include "platform/trash.h"

namespace lumivex {

// The freedesktop.org Trash through QFile::moveToTrash. Each call moves its files one by one on
// the global thread pool, keeps going after a failure and reports every file it moved.
class FreedesktopTrash final : public Trash {
public:
    QFuture<TrashOutcome> moveToTrash(const QStringList& paths) override;
    // Also drops the file's Trash record, so the Trash does not list it any more.
    std::optional<Error> putBack(const QString& pathInTrash, const QString& original) override;
};

}  // namespace lumivex

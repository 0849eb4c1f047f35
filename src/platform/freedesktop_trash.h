#pragma once

#include "platform/trash.h"

class QThreadPool;

namespace lumivex {

// The freedesktop.org Trash: the home Trash, or the Trash at the top of another mount. Each call
// moves its files one by one on a thread pool, keeps going after a failure and reports every file
// it moved.
class FreedesktopTrash final : public Trash {
public:
    // Moves run on `pool`, which must outlive the trash; without one, on the global pool.
    explicit FreedesktopTrash(QThreadPool* pool = nullptr);

    QFuture<TrashOutcome> moveToTrash(const QStringList& paths) override;
    // Also drops the file's Trash record, so the Trash does not list it any more.
    std::optional<Error> putBack(const QString& pathInTrash, const QString& original) override;

private:
    QThreadPool* pool_;
};

}  // namespace lumivex

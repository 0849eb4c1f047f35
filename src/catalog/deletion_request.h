#pragma once

#include "model/library.h"
#include "model/library_source.h"

#include <QList>
#include <QString>
#include <QUuid>

namespace lumivex {

// The items the user asked to delete, with the library they belong to, from the delete command
// until the confirmation is answered. Made and read on the main thread.
struct DeletionRequest {
    QUuid id;
    QList<MediaItem> items;  // in browse order
    LibrarySource source = LibrarySource::none;
    QString root;      // absolute path of the library root
    QUuid generation;  // the store's library generation when the request was made

    // A request with a new identifier.
    static DeletionRequest make(QList<MediaItem> items, LibrarySource source, QString root,
                                QUuid generation);

    // "3개의 영상을 삭제하시겠습니까?"
    QString title() const;
    // What deleting does and where the ratings stay, for the confirmation's body.
    QString message() const;

    bool operator==(const DeletionRequest&) const = default;
};

}  // namespace lumivex

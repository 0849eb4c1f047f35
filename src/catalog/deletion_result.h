#pragma once

#include <QSet>
#include <QString>
#include <QUuid>

#include <optional>

namespace lumivex {

// What a deletion did: the items that are gone, and a text for the user when not all of the
// request is gone (none when everything went, or when the user cancelled).
struct DeletionResult {
    QSet<QUuid> deletedIDs;
    std::optional<QString> message;

    bool operator==(const DeletionResult&) const = default;
};

}  // namespace lumivex

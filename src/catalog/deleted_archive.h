#pragma once

#include "model/library.h"

namespace lumivex {

// One item that left the library, with the instant it left.
struct DeletedRecord {
    MediaItem item;
    Date deletedAt;

    bool operator==(const DeletedRecord&) const = default;
};

// The records of items that left a library (deleted by the user or vanished from disk), kept for
// seven days beside the library, with the properties their values are keyed by.
struct DeletedArchive {
    static constexpr double retentionSeconds = 604800;

    QList<Category> categories;
    QList<DeletedRecord> records;

    // The text of ".lumivex/deleted.csv": the catalog format with a "_삭제시각" column.
    QString csv() const;
    // Reads that text strictly; throws CatalogError::invalidCSV.
    static DeletedArchive fromCSV(const QString& text);
    // The archive brought in line with the library's current properties.
    DeletedArchive aligned(const QList<Category>& current) const;

    bool operator==(const DeletedArchive&) const = default;
};

}  // namespace lumivex

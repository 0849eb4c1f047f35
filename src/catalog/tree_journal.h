#pragma once

#include "catalog/folder_catalog.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace lumivex {

// The tree journal ".lumivex/folders-pending.json" at a library root: the planned writes of one
// tree save, kept until every folder holds its new files. Synchronous, on the caller's thread.
namespace TreeJournal {

QString path(const QString& root);

// A JSON array of objects with the string members "archive", "catalog", "directory" and
// "identity", compact, keys sorted.
QByteArray encode(const QList<FolderCatalog::Write>& writes);
// encode() in two steps, so that the writes can be encoded side by side: the array element of
// one write, and the array of such elements.
QByteArray encodedWrite(const FolderCatalog::Write& write);
QByteArray joined(const QList<QByteArray>& encodedWrites);
// Strict: anything but such an array throws, and the file is left for the user to inspect.
QList<FolderCatalog::Write> decode(const QByteArray& bytes, const QString& path);

// Completes the journal of an interrupted save, when there is one, passing over the folders that
// are gone since.
void finishPending(const QString& root);

}  // namespace TreeJournal
}  // namespace lumivex

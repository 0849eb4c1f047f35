#pragma once

#include "model/library_source.h"
#include "model/media_query.h"

#include <QSet>
#include <QString>

#include <optional>

namespace lumivex {

// Keeps a browse query pointing at what exists after the library changed: folder filters on
// folders that lost their schema fall back to the whole library, property filters follow a
// property to its new display identifier when exactly one is found, and whatever is gone or
// ambiguous is dropped. Pure functions, any thread.
namespace QueryReconciliation {

// The folders of `library`'s schemas a folder filter covers: every schema folder without a path,
// else the folder itself and, unless it is the root (""), the schema folders below it.
QSet<QString> schemaFolders(const Library& library, const std::optional<QString>& path);

// The library a folder filter shows: the display library of its folders for a folder library,
// the library itself otherwise.
Library scopeLibrary(const Library& library, LibrarySource source, const QSet<QString>& folders);

MediaQuery reconciled(const MediaQuery& query, const Library& old, const Library& updated,
                      LibrarySource source);

}  // namespace QueryReconciliation
}  // namespace lumivex

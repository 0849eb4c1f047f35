#pragma once

#include "catalog/library_state.h"

#include <QList>

namespace lumivex::test {

// The merge of a scan into a library and into a library state, computed the slow obvious way:
// keys spelled out as whole texts, normalized afresh, every list built anew. The real merge is
// held to these results, and the benchmarks measure it against them.
QList<MediaItem> plainMerge(const QList<MediaItem>& old, const QList<MediaItem>& scanned);
LibraryState plainReconcile(LibraryState state, const QList<MediaItem>& scanned, Date date);
LibraryState plainReconcileFolder(LibraryState state, const QList<MediaItem>& scanned, Date date);

// A file of the library as the scanner lists it again: a new identifier, found at `found`, the
// file's own facts.
MediaItem listedAgain(const MediaItem& item, Date found);

}  // namespace lumivex::test

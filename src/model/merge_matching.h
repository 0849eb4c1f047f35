#pragma once

#include "model/media_items.h"

#include <QList>

#include <vector>

namespace lumivex {

// Which old item each scanned item continues when a scan is merged into a library: first by
// file name and identity together, then, for the scanned items still unmatched, by identity
// alone; each time the first old item with that key that no scanned item took yet. Keys compare
// as NFC texts. Pure: reads both lists and keeps nothing, so any thread may match.
namespace MergeMatching {

struct Matches {
    std::vector<qsizetype> oldForNew;  // per scanned item, the old position it continues, or -1
    std::vector<bool> taken;           // per old item, whether a scanned item continues it
};

Matches match(const MediaItems& old, const QList<MediaItem>& scanned);

}  // namespace MergeMatching
}  // namespace lumivex

#pragma once

#include "catalog/deleted_archive.h"

namespace lumivex {

// When the purge of deleted records wakes next: after 60 s while the store cannot purge, after an
// hour at most, and when the first record comes due, but never sooner than a second.
namespace MaintenanceSchedule {

constexpr double busyWait = 60;
constexpr double longestWait = 3600;
constexpr double shortestWait = 1;

double nextWait(bool busy, const DeletedArchive& archive, Date now);
// The records younger than the retention at `now`, in their order; a future record stays.
QList<DeletedRecord> unexpired(const QList<DeletedRecord>& records, Date now);

}  // namespace MaintenanceSchedule
}  // namespace lumivex

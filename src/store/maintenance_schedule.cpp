#include "store/maintenance_schedule.h"

#include <algorithm>
#include <limits>

namespace lumivex::MaintenanceSchedule {

double nextWait(bool busy, const DeletedArchive& archive, Date now) {
    if (busy) {
        return busyWait;
    }
    if (archive.records.isEmpty()) {
        return longestWait;
    }
    double soonest = std::numeric_limits<double>::infinity();
    for (const DeletedRecord& record : archive.records) {
        soonest = std::min(soonest, record.deletedAt.secondsSince1970 +
                                        DeletedArchive::retentionSeconds - now.secondsSince1970);
    }
    return soonest >= longestWait ? longestWait : std::max(soonest, shortestWait);
}

QList<DeletedRecord> unexpired(const QList<DeletedRecord>& records, Date now) {
    QList<DeletedRecord> kept;
    for (const DeletedRecord& record : records) {
        if (now.secondsSince1970 - record.deletedAt.secondsSince1970 <
            DeletedArchive::retentionSeconds) {
            kept.append(record);
        }
    }
    return kept;
}

}  // namespace lumivex::MaintenanceSchedule

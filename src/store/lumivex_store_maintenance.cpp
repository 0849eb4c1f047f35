#include "catalog/library_state.h"
#include "store/lumivex_store.h"
#include "store/maintenance_schedule.h"

namespace lumivex {

void LumivexStore::startMaintenance() {
    const bool busy = locked_ || scanning_ || deleting_;
    const double wait =
        MaintenanceSchedule::nextWait(busy, deletedArchive_, services_.clock->now());
    maintenance_ = services_.clock->after(wait, [this] { maintenanceWoke(); });
}

void LumivexStore::maintenanceWoke() {
    cleanupArchivedMetadata();
    startMaintenance();
}

void LumivexStore::cleanupArchivedMetadata() {
    if (source_ == LibrarySource::none || locked_ || deleting_ || scanning_) {
        return;
    }
    DeletedArchive reduced = deletedArchive_;
    reduced.records =
        MaintenanceSchedule::unexpired(deletedArchive_.records, services_.clock->now());
    if (reduced == deletedArchive_) {
        return;
    }
    if (commit(LibraryState{library_, reduced}, std::nullopt, std::nullopt, CommitOrigin::upkeep)) {
        resetMetadataHistory();
    }
}

}  // namespace lumivex

#include "store/lumivex_store.h"
#include "store/metadata_undo_validation.h"

namespace lumivex {

void LumivexStore::undoMetadata() {
    if (!canReplayMetadata() || !metadataHistory_.canUndo()) {
        return;
    }
    const LibraryState before = metadataHistory_.undo().last().before;
    if (!validateMetadataReplay()) {
        return;
    }
    if (commit(before)) {
        metadataHistory_.didUndo();
        Q_EMIT metadataHistoryChanged();
    }
}

void LumivexStore::redoMetadata() {
    if (!canReplayMetadata() || !metadataHistory_.canRedo()) {
        return;
    }
    const LibraryState after = metadataHistory_.redo().last().after;
    if (!validateMetadataReplay()) {
        return;
    }
    if (commit(after)) {
        metadataHistory_.didRedo();
        Q_EMIT metadataHistoryChanged();
    }
}

// A step is replayed only onto the files and media the store itself left: anything changed
// behind its back empties the history and rescans; files it cannot read keep the history for a
// later try.
bool LumivexStore::validateMetadataReplay() {
    try {
        if (metadataHistoryStamp_ &&
            MetadataUndoValidation::persistenceStamp(root_, source_) == *metadataHistoryStamp_ &&
            MetadataUndoValidation::mediaStillCurrent(library_, root_, source_, *services_.photos,
                                                      {})) {
            return true;
        }
    } catch (const Error& error) {
        setError(QStringLiteral("분류 변경을 되돌리기 전에 파일 상태를 확인하지 못했습니다.\n") +
                 error.description());
        return false;
    }
    resetMetadataHistory();
    rescan(true);
    return false;
}

}  // namespace lumivex

#include "catalog/catalog_stamps.h"
#include "store/long_work.h"
#include "store/lumivex_store.h"
#include "store/metadata_undo_validation.h"

namespace lumivex {

namespace {

MediaContent contentOf(PhotoMediaType type) {
    switch (type) {
        case PhotoMediaType::image:
            return MediaContent::photo;
        case PhotoMediaType::video:
            return MediaContent::video;
        case PhotoMediaType::unknown:
        case PhotoMediaType::audio:
            break;
    }
    return MediaContent::none;
}

}  // namespace

MetadataUndoValidation::PhotoAssetListing LumivexStore::photoAssets() const {
    const PhotoLibrary* photos = services_.photos;
    return [photos] {
        QList<MetadataUndoValidation::PhotoAssetState> states;
        for (const PhotoAsset& asset : photos->fetchAllAssets([] { return false; })) {
            states.append({asset.localIdentifier, contentOf(asset.mediaType),
                           asset.modificationDate, asset.creationDate, asset.duration});
        }
        return states;
    };
}

void LumivexStore::undoMetadata() {
    if (!canReplayMetadata() || !metadataHistory_.canUndo()) {
        return;
    }
    // The check looks at every item's file before the step's save.
    const LongWork work(*services_.shell, library_.items.size());
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
    // The check looks at every item's file before the step's save.
    const LongWork work(*services_.shell, library_.items.size());
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
        if (metadataHistoryStamp_ && CatalogStamps::outsideChanges() == outsideChangesSeen_ &&
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

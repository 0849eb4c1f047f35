#include "catalog/media_deletion.h"

#include "catalog/deletion_request.h"
#include "model/file_deletion_validation.h"
#include "platform/error.h"
#include "platform/photo_library.h"
#include "platform/trash.h"

#include <QDir>
#include <QObject>
#include <QSet>

#include <algorithm>

namespace lumivex::MediaDeletion {

namespace {

const QString photosPrefix = QStringLiteral("photos:");

DeletionResult refused(const QString& message) {
    return {{}, message};
}

QFuture<DeletionResult> ready(DeletionResult result) {
    return QtFuture::makeReadyFuture(std::move(result));
}

// A platform future that ends without an outcome (its worker gave up) counts as one that changed
// nothing, so nothing is reported deleted. Our platform services never store exceptions in their
// futures, and Qt 6.4 crashes in onFailed on a cancelled future, so only cancellation is handled.
template <typename Outcome>
QFuture<Outcome> orNothing(QFuture<Outcome> future) {
    return future.onCanceled([] { return Outcome{}; });
}

QString partialTrashMessage(qsizetype deleted, qsizetype kept, const std::optional<Error>& error) {
    return QStringLiteral("%1개를 휴지통으로 이동했고, %2개는 이동하지 못했습니다.\n")
               .arg(deleted)
               .arg(kept) +
           (error ? error->description()
                  : QStringLiteral("파일 접근 권한과 휴지통을 확인해주세요."));
}

// Counts an item as deleted only when the Trash reports its own checked path as moved.
DeletionResult trashResult(const QList<MediaItem>& items, const QStringList& locations,
                           const TrashOutcome& outcome) {
    QSet<QString> moved;
    for (const auto& [former, inTrash] : outcome.moved) {
        moved.insert(QDir::cleanPath(former));
    }
    DeletionResult result;
    qsizetype deleted = 0;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (moved.contains(QDir::cleanPath(locations[i]))) {
            result.deletedIDs.insert(items[i].id);
            ++deleted;
        }
    }
    if (deleted < items.size()) {
        result.message = partialTrashMessage(deleted, items.size() - deleted, outcome.error);
    }
    return result;
}

QFuture<DeletionResult> moveToTrash(const DeletionRequest& request, Trash& trash,
                                    QObject* context) {
    QStringList locations;
    locations.reserve(request.items.size());
    for (const MediaItem& item : request.items) {
        try {
            locations.append(FileDeletionValidation::url(item, request.root));
        } catch (const Error& error) {
            return ready(
                refused(QStringLiteral("휴지통으로 이동하지 않았습니다. 목록을 새로고침한 뒤 다시 "
                                       "선택해주세요.\n") +
                        error.description()));
        }
    }
    return orNothing(trash.moveToTrash(locations))
        .then(context, [items = request.items, locations](const TrashOutcome& outcome) {
            return trashResult(items, locations, outcome);
        });
}

DeletionResult photoChangeResult(const QList<MediaItem>& items, const PhotoChangeOutcome& outcome) {
    switch (outcome.status) {
        case PhotoChangeOutcome::Status::succeeded: {
            DeletionResult result;
            for (const MediaItem& item : items) {
                result.deletedIDs.insert(item.id);
            }
            return result;
        }
        case PhotoChangeOutcome::Status::cancelled:
            return {};
        case PhotoChangeOutcome::Status::failed:
            break;
    }
    return refused(QStringLiteral("사진 보관함에서 삭제하지 못했습니다.\n") +
                   (outcome.error
                        ? outcome.error->description()
                        : QStringLiteral("사진 폴더의 상태와 접근 권한을 확인해주세요.")));
}

QFuture<DeletionResult> deleteFromPhotos(const DeletionRequest& request, PhotoLibrary& photos,
                                         QObject* context) {
    const PhotoAuthorizationStatus status = photos.authorizationStatus();
    if (status != PhotoAuthorizationStatus::authorized &&
        status != PhotoAuthorizationStatus::limited) {
        return ready(refused(QStringLiteral(
            "사진 접근 권한이 없어 삭제하지 않았습니다. 사진 연결 설정을 확인해주세요.")));
    }
    QStringList identifiers;
    for (const MediaItem& item : request.items) {
        if (item.fileIdentity.startsWith(photosPrefix)) {
            identifiers.append(item.fileIdentity.mid(photosPrefix.size()));
        }
    }
    const QList<PhotoAsset> assets = photos.fetchAssets(identifiers);
    if (identifiers.size() != request.items.size() || assets.size() != request.items.size()) {
        return ready(
            refused(QStringLiteral("선택한 사진 중 보관함에서 찾을 수 없는 항목이 있어 "
                                   "삭제하지 않았습니다. 다시 선택해주세요.")));
    }
    const auto deletable = [](const PhotoAsset& asset) { return asset.canDelete; };
    if (!std::all_of(assets.begin(), assets.end(), deletable)) {
        return ready(refused(
            QStringLiteral("선택한 항목 중 사진 보관함에서 삭제할 수 없는 항목이 있습니다.")));
    }
    return orNothing(photos.deleteAssets(assets))
        .then(context, [items = request.items](const PhotoChangeOutcome& outcome) {
            return photoChangeResult(items, outcome);
        });
}

}  // namespace

QFuture<DeletionResult> perform(const DeletionRequest& request, Trash& trash, PhotoLibrary& photos,
                                QObject* context) {
    switch (request.source) {
        case LibrarySource::folder:
            return moveToTrash(request, trash, context);
        case LibrarySource::photos:
            return deleteFromPhotos(request, photos, context);
        case LibrarySource::none:
            break;
    }
    return ready({});
}

}  // namespace lumivex::MediaDeletion

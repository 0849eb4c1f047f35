#include "catalog/deletion_request.h"

#include "platform/app_brand.h"

#include <algorithm>

namespace lumivex {

DeletionRequest DeletionRequest::make(QList<MediaItem> items, LibrarySource source, QString root,
                                      QUuid generation) {
    return {QUuid::createUuid(), std::move(items), source, std::move(root), generation};
}

QString DeletionRequest::title() const {
    const auto isVideo = [](const MediaItem& item) { return item.kind == MediaKind::video; };
    QString noun = QStringLiteral("사진");
    if (!items.isEmpty() && std::all_of(items.begin(), items.end(), isVideo)) {
        noun = QStringLiteral("영상");
    } else if (std::any_of(items.begin(), items.end(), isVideo)) {
        noun = QStringLiteral("사진·영상");
    }
    return QString::number(items.size()) + QStringLiteral("개의 ") + noun +
           QStringLiteral("을 삭제하시겠습니까?");
}

QString DeletionRequest::message() const {
    const QString where =
        source == LibrarySource::photos
            // The photo library is the Pictures and Videos folders: nothing syncs, and its files
            // go to the Trash like any other.
            ? QStringLiteral(
                  "사진 보관함에서 삭제합니다. 파일은 휴지통으로 이동하며, 휴지통을 비우기 전에는 "
                  "복원할 수 있습니다.\n\n")
            : QStringLiteral(
                  "선택한 원본 파일을 휴지통으로 이동합니다. 휴지통을 비우기 전에는 복원할 수 "
                  "있습니다.\n\n");
    return where + AppBrand::name() +
           QStringLiteral("의 별점·분류 기록은 별도 CSV에 7일간 보관합니다.");
}

}  // namespace lumivex

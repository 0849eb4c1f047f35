#pragma once

#include "model/library.h"
#include "platform/text_order.h"

#include <QString>
#include <QStringList>

namespace lumivex {

// The column texts of the catalog file, shared by its writer and its reader.
namespace CatalogColumns {

inline const QStringList fixed{
    QStringLiteral("파일명"),    QStringLiteral("종류"),        QStringLiteral("별점"),
    QStringLiteral("길이(초)"),  QStringLiteral("크기(bytes)"), QStringLiteral("메모"),
    QStringLiteral("파일 존재"), QStringLiteral("수정일"),      QStringLiteral("추가일"),
    QStringLiteral("ID"),        QStringLiteral("파일 식별자"), QStringLiteral("_버전")};

enum Fixed : qsizetype {
    filename,
    kind,
    rating,
    duration,
    size,
    notes,
    available,
    modified,
    added,
    id,
    fileIdentity,
    version,
    firstProperty
};

inline const QString capturedAt = QStringLiteral("_촬영일");
inline const QString metaMarker = QStringLiteral("_속성");
inline const QString rowVersion = QStringLiteral("1");

inline const QString singleSelectPrefix = QStringLiteral("단일선택:");
inline const QString multiSelectPrefix = QStringLiteral("분류:");
inline const QString ratingPrefix = QStringLiteral("별점속성:");

// The items in the order of the catalog's rows: file names ascending under the localized
// standard comparison, equal names in library order. One sort key per item. `Items` is any list
// of MediaItem.
template <typename Items>
QList<const MediaItem*> rowOrder(const Items& items) {
    QList<const MediaItem*> order;
    order.reserve(items.size());
    for (const MediaItem& item : items) {
        order.append(&item);
    }
    TextOrder::stableSortLocalized(
        order, [](const MediaItem* item) -> const QString& { return item->filename; });
    return order;
}

}  // namespace CatalogColumns
}  // namespace lumivex

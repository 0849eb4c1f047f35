#pragma once

#include "catalog/library_state.h"

#include <QSet>

// Small value builders shared by the catalog tests.
namespace lumivex::test {

inline Category property(const QString& name, PropertyKind kind = PropertyKind::multiSelect,
                         QStringList options = {}) {
    return Category{QUuid::createUuid(), name, kind, std::move(options), std::nullopt};
}

inline Category rating() {
    return property(QStringLiteral("별점"), PropertyKind::rating);
}

inline MediaItem mediaItem(const QString& filename, const QString& identity = {}) {
    MediaItem item;
    item.id = QUuid::createUuid();
    item.filename = filename;
    item.fileIdentity = identity.isEmpty() ? QStringLiteral("id:") + filename : identity;
    item.modified = Date{1000};
    item.added = Date{1000};
    return item;
}

inline MediaItem labelled(MediaItem item, const Category& category, QStringList values) {
    item.labels[category.idText()] = std::move(values);
    return item;
}

inline DeletedRecord record(MediaItem item, double deletedAt) {
    item.available = false;
    return DeletedRecord{std::move(item), Date{deletedAt}};
}

inline QStringList texts(std::initializer_list<const char*> values) {
    QStringList result;
    for (const char* value : values) {
        result.append(QString::fromUtf8(value));
    }
    return result;
}

}  // namespace lumivex::test

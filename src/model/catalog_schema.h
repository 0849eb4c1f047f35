#pragma once

#include "model/library.h"

#include <QByteArray>

namespace lumivex {

// The record in the catalog file's meta row: the folder's properties with their identifiers and
// options, the include-subfolders flag and the root folder's identity.
struct CatalogSchema {
    QList<Category> properties;
    bool includeSubfolders = false;
    std::optional<QString> directoryIdentity;

    // Compact JSON with sorted keys, as the meta row carries it.
    QByteArray toJson() const;
    // The same bytes made of each property's own JSON (propertyJson), in order: a writer that
    // wrote a property before may give its bytes again rather than encode it anew.
    static QByteArray assembled(const QList<QByteArray>& propertyJsons, bool includeSubfolders,
                                const std::optional<QString>& directoryIdentity);
    static QByteArray propertyJson(const Category& property);
    // The schema object, or else a bare array of properties (include-subfolders false); nothing
    // when the bytes are neither.
    static std::optional<CatalogSchema> fromJson(const QByteArray& bytes);

    bool operator==(const CatalogSchema&) const = default;
};

}  // namespace lumivex

#pragma once

#include "model/media_items.h"
#include "model/shared_map.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <cstdint>
#include <map>
#include <optional>

namespace lumivex {

enum class PropertyKind { singleSelect, multiSelect, rating };

QString rawValue(PropertyKind kind);
std::optional<PropertyKind> propertyKindFromRaw(const QString& raw);

// One user-defined property of a library.
struct Category {
    QUuid id;
    QString name;
    PropertyKind kind = PropertyKind::multiSelect;
    QStringList options;
    std::optional<QString> iconName;

    // The icon to draw: "star" for the rating property, else the icon name or one chosen by name.
    QString symbol() const;
    // The key of this property in MediaItem::labels.
    QString idText() const;

    bool operator==(const Category&) const = default;
};

// The properties of one folder of a tree and the display property each was merged into.
struct FolderPropertySchema {
    QList<Category> properties;
    std::map<QString, QString> displayIDs;

    bool operator==(const FolderPropertySchema&) const = default;
};

// The value of one library. Passed by value everywhere; edits return or mutate copies.
struct Library {
    std::int64_t version = 1;
    QList<Category> categories;
    MediaItems items;
    bool includeSubfolders = false;
    std::optional<QString> directoryIdentity;
    QStringList catalogDirectories;
    SharedMap<QString, FolderPropertySchema> folderSchemas;
    QList<Category> catalogProperties;

    // The empty library: version 1 and the four default properties, each with a new identifier.
    Library();
    // A library with exactly these categories and items and every other field at its default.
    static Library withContents(QList<Category> categories, MediaItems items);

    // The first rating property, if any.
    std::optional<Category> ratingProperty() const;
    // Every property that is not a rating property, in order.
    QList<Category> tagProperties() const;

    // Folds a fresh scan into the items, keeping identifiers and user metadata of known files.
    void merge(const QList<MediaItem>& scanned);
    // Exactly one rating property, named "별점", first, without options.
    void enforceFixedRating(const std::optional<Category>& preferred);
    // The declared options, then the undeclared values in use, in the localized standard order.
    QStringList options(const Category& category) const;

    // The catalog CSV text of ".lumivex/lumivex.csv".
    QString catalogCSV() const;
    // Reads catalog CSV text strictly; throws CatalogError::invalidCSV.
    static Library fromCatalogCSV(const QString& text);
    // The export CSV for spreadsheets.
    QString csv() const;

    bool operator==(const Library&) const = default;
};

}  // namespace lumivex

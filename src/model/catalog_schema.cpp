#include "model/catalog_schema.h"

#include "model/library_json.h"
#include "platform/sorted_json.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>

namespace lumivex {

namespace {

QList<Category> propertiesFromJson(const QJsonValue& value) {
    if (!value.isArray()) {
        throw LibraryJson::decodingError(QStringLiteral("properties"));
    }
    const QJsonArray array = value.toArray();
    QList<Category> properties;
    properties.reserve(array.size());
    for (const QJsonValue& element : array) {
        properties.append(LibraryJson::categoryFromJson(element));
    }
    return properties;
}

CatalogSchema schemaFromJson(const QJsonValue& value) {
    const QJsonObject object = value.toObject();
    const QJsonValue subfolders = object.value(QStringLiteral("includeSubfolders"));
    const QJsonValue identity = object.value(QStringLiteral("directoryIdentity"));
    if (!value.isObject() || !subfolders.isBool() ||
        !(identity.isUndefined() || identity.isNull() || identity.isString())) {
        throw LibraryJson::decodingError(QStringLiteral("includeSubfolders"));
    }
    CatalogSchema schema;
    schema.properties = propertiesFromJson(object.value(QStringLiteral("properties")));
    schema.includeSubfolders = subfolders.toBool();
    if (identity.isString()) {
        schema.directoryIdentity = identity.toString();
    }
    return schema;
}

}  // namespace

QByteArray CatalogSchema::toJson() const {
    QJsonArray array;
    for (const Category& property : properties) {
        array.append(LibraryJson::toJson(property));
    }
    QJsonObject object{{QStringLiteral("properties"), array},
                       {QStringLiteral("includeSubfolders"), includeSubfolders}};
    if (directoryIdentity) {
        object.insert(QStringLiteral("directoryIdentity"), *directoryIdentity);
    }
    return SortedJson::encode(object);
}

std::optional<CatalogSchema> CatalogSchema::fromJson(const QByteArray& bytes) {
    try {
        const QJsonValue document = LibraryJson::parse(bytes);
        try {
            return schemaFromJson(document);
        } catch (const Error&) {
            CatalogSchema schema;
            schema.properties = propertiesFromJson(document);
            return schema;
        }
    } catch (const Error&) {
        return std::nullopt;
    }
}

}  // namespace lumivex

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
        schema.directoryIdentity =
            LibraryJson::validText(identity.toString(), QStringLiteral("directoryIdentity"));
    }
    return schema;
}

}  // namespace

QByteArray CatalogSchema::toJson() const {
    QList<QByteArray> propertyJsons;
    propertyJsons.reserve(properties.size());
    for (const Category& property : properties) {
        propertyJsons.append(propertyJson(property));
    }
    return assembled(propertyJsons, includeSubfolders, directoryIdentity);
}

// The keys are written in the order SortedJson sorts them into.
QByteArray CatalogSchema::assembled(const QList<QByteArray>& propertyJsons, bool includeSubfolders,
                                    const std::optional<QString>& directoryIdentity) {
    qsizetype size = 64;
    for (const QByteArray& property : propertyJsons) {
        size += property.size() + 1;
    }
    QByteArray out;
    out.reserve(size + (directoryIdentity ? 2 * directoryIdentity->size() : 0));
    out.append('{');
    if (directoryIdentity) {
        out.append(R"("directoryIdentity":)");
        SortedJson::appendText(out, *directoryIdentity);
        out.append(',');
    }
    out.append(includeSubfolders ? R"("includeSubfolders":true,)"
                                 : R"("includeSubfolders":false,)");
    out.append(R"("properties":)");
    SortedJson::appendArray(out, propertyJsons);
    out.append('}');
    return out;
}

// What SortedJson writes for LibraryJson::toJson(property), without building that object.
QByteArray CatalogSchema::propertyJson(const Category& property) {
    qsizetype size = 96 + 2 * property.name.size();
    for (const QString& option : property.options) {
        size += option.size() + 3;
    }
    QByteArray out;
    out.reserve(size);
    out.append('{');
    if (property.iconName) {
        out.append(R"("iconName":)");
        SortedJson::appendText(out, *property.iconName);
        out.append(',');
    }
    out.append(R"("id":)");
    SortedJson::appendText(out, property.idText());
    out.append(R"(,"kind":)");
    SortedJson::appendText(out, rawValue(property.kind));
    out.append(R"(,"name":)");
    SortedJson::appendText(out, property.name);
    out.append(R"(,"options":[)");
    for (qsizetype i = 0; i < property.options.size(); ++i) {
        if (i > 0) {
            out.append(',');
        }
        SortedJson::appendText(out, property.options[i]);
    }
    out.append("]}");
    return out;
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

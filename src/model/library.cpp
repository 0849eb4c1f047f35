#include "model/library.h"

#include "platform/uuid_text.h"

#include <algorithm>

namespace lumivex {

namespace {

Category defaultCategory(const QString& name, PropertyKind kind, const QString& icon) {
    return Category{QUuid::createUuid(), name, kind, {}, icon};
}

}  // namespace

QString rawValue(PropertyKind kind) {
    switch (kind) {
        case PropertyKind::singleSelect:
            return QStringLiteral("singleSelect");
        case PropertyKind::multiSelect:
            return QStringLiteral("multiSelect");
        case PropertyKind::rating:
            return QStringLiteral("rating");
    }
    return {};
}

std::optional<PropertyKind> propertyKindFromRaw(const QString& raw) {
    for (PropertyKind kind :
         {PropertyKind::singleSelect, PropertyKind::multiSelect, PropertyKind::rating}) {
        if (raw == rawValue(kind)) {
            return kind;
        }
    }
    return std::nullopt;
}

QString Category::symbol() const {
    if (kind == PropertyKind::rating) {
        return QStringLiteral("star");
    }
    if (iconName) {
        return *iconName;
    }
    if (name == u"사람") {
        return QStringLiteral("person.2");
    }
    if (name == u"위치") {
        return QStringLiteral("mappin");
    }
    if (name == u"태그") {
        return QStringLiteral("tag");
    }
    return QStringLiteral("list.bullet");
}

QString Category::idText() const {
    return UuidText::upper(id);
}

Library::Library()
    : categories{defaultCategory(QStringLiteral("별점"), PropertyKind::rating,
                                 QStringLiteral("list.bullet")),
                 defaultCategory(QStringLiteral("사람"), PropertyKind::multiSelect,
                                 QStringLiteral("person.2")),
                 defaultCategory(QStringLiteral("위치"), PropertyKind::singleSelect,
                                 QStringLiteral("mappin")),
                 defaultCategory(QStringLiteral("태그"), PropertyKind::multiSelect,
                                 QStringLiteral("tag"))} {}

Library Library::withContents(QList<Category> categories, MediaItems items) {
    Library library;
    library.categories = std::move(categories);
    library.items = std::move(items);
    return library;
}

std::optional<Category> Library::ratingProperty() const {
    for (const Category& category : categories) {
        if (category.kind == PropertyKind::rating) {
            return category;
        }
    }
    return std::nullopt;
}

QList<Category> Library::tagProperties() const {
    QList<Category> result;
    for (const Category& category : categories) {
        if (category.kind != PropertyKind::rating) {
            result.append(category);
        }
    }
    return result;
}

}  // namespace lumivex

#include "model/library.h"

#include "platform/decimal_text.h"
#include "platform/uuid_text.h"

#include <algorithm>
#include <cmath>

namespace lumivex {

namespace {

Category defaultCategory(const QString& name, PropertyKind kind, const QString& icon) {
    return Category{QUuid::createUuid(), name, kind, {}, icon};
}

QString twoDigits(double value) {
    return QString::number(value, 'f', 0).rightJustified(2, u'0');
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

QString rawValue(MediaKind kind) {
    return kind == MediaKind::photo ? QStringLiteral("photo") : QStringLiteral("video");
}

std::optional<MediaKind> mediaKindFromRaw(QStringView raw) {
    if (raw == u"photo") {
        return MediaKind::photo;
    }
    if (raw == u"video") {
        return MediaKind::video;
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

QString MediaItem::durationText() const {
    // Negative and non-finite lengths only come from hand-edited files; they read as no length.
    if (!duration || !std::isfinite(*duration) || *duration < 0) {
        return kind == MediaKind::photo ? QStringLiteral("사진") : QStringLiteral("—");
    }
    const double wholeSeconds = std::floor(*duration);
    if (wholeSeconds < 9223372036854775808.0) {
        // Exact integer arithmetic wherever the whole seconds fit in 64 bits.
        const auto s = static_cast<std::int64_t>(wholeSeconds);
        const auto digits = [](std::int64_t value) { return DecimalText::integer(value); };
        const auto twoDigits = [](std::int64_t value) {
            return DecimalText::integer(value).rightJustified(2, u'0');
        };
        if (s < 3600) {
            return digits(s / 60) + u':' + twoDigits(s % 60);
        }
        return digits(s / 3600) + u':' + twoDigits(s / 60 % 60) + u':' + twoDigits(s % 60);
    }
    // Beyond 64 bits no real file has this length; doubles give a readable text and never trap.
    const double minutes = std::floor(wholeSeconds / 60);
    return QString::number(std::floor(wholeSeconds / 3600), 'f', 0) + u':' +
           twoDigits(std::fmod(minutes, 60)) + u':' + twoDigits(std::fmod(wholeSeconds, 60));
}

QString MediaItem::folder() const {
    const qsizetype slash = filename.lastIndexOf(u'/');
    return slash < 0 ? QString() : filename.left(slash);
}

bool MediaItem::isUnclassified() const {
    return std::all_of(labels.begin(), labels.end(),
                       [](const auto& entry) { return entry.second.isEmpty(); });
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

Library Library::withContents(QList<Category> categories, QList<MediaItem> items) {
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

#include "model/library_json.h"

#include "platform/sorted_json.h"
#include "platform/uuid_text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QVariant>

#include <cmath>

namespace lumivex::LibraryJson {

namespace {

// A keyed reader of one JSON object: required values throw when missing, null or mistyped;
// optional ones give nothing when missing or null.
class Fields {
public:
    Fields(const QJsonValue& value, const QString& what) {
        if (!value.isObject()) {
            throw decodingError(what);
        }
        object_ = value.toObject();
    }

    QJsonValue optional(const QString& key) const {
        const QJsonValue value = object_.value(key);
        return value.isUndefined() ? QJsonValue() : value;
    }

    QJsonValue required(const QString& key) const {
        const QJsonValue value = object_.value(key);
        if (value.isUndefined() || value.isNull()) {
            throw decodingError(key);
        }
        return value;
    }

    QString text(const QString& key) const { return asText(required(key), key); }
    double number(const QString& key) const { return asNumber(required(key), key); }
    bool boolean(const QString& key) const { return asBoolean(required(key), key); }
    QUuid uuid(const QString& key) const {
        const auto id = UuidText::parse(text(key));
        if (!id) {
            throw decodingError(key);
        }
        return *id;
    }

    std::int64_t integer(const QString& key) const {
        const QJsonValue value = required(key);
        if (!value.isDouble()) {
            throw decodingError(key);
        }
        const QVariant variant = value.toVariant();
        if (variant.typeId() == QMetaType::LongLong) {
            return variant.toLongLong();
        }
        const double number = value.toDouble();
        constexpr double limit = 9223372036854775808.0;
        if (std::trunc(number) != number || number < -limit || number >= limit) {
            throw decodingError(key);
        }
        return static_cast<std::int64_t>(number);
    }

    static QString asText(const QJsonValue& value, const QString& key) {
        if (!value.isString()) {
            throw decodingError(key);
        }
        return validText(value.toString(), key);
    }
    static double asNumber(const QJsonValue& value, const QString& key) {
        if (!value.isDouble()) {
            throw decodingError(key);
        }
        return value.toDouble();
    }
    static bool asBoolean(const QJsonValue& value, const QString& key) {
        if (!value.isBool()) {
            throw decodingError(key);
        }
        return value.toBool();
    }
    static QStringList asTexts(const QJsonValue& value, const QString& key) {
        if (!value.isArray()) {
            throw decodingError(key);
        }
        const QJsonArray array = value.toArray();
        QStringList texts;
        texts.reserve(array.size());
        for (const QJsonValue& element : array) {
            texts.append(asText(element, key));
        }
        return texts;
    }

private:
    QJsonObject object_;
};

Labels labelsFromJson(const QJsonValue& value) {
    const QString key = QStringLiteral("labels");
    if (!value.isObject()) {
        throw decodingError(key);
    }
    const QJsonObject object = value.toObject();
    Labels labels;
    for (auto it = object.begin(); it != object.end(); ++it) {
        labels.emplace(validText(it.key(), key), Fields::asTexts(it.value(), key));
    }
    return labels;
}

QJsonArray textArray(const QStringList& texts) {
    QJsonArray array;
    for (const QString& text : texts) {
        array.append(text);
    }
    return array;
}

template <typename T, typename Decode>
QList<T> listFromJson(const QJsonValue& value, const QString& key, Decode decode) {
    if (!value.isArray()) {
        throw decodingError(key);
    }
    const QJsonArray array = value.toArray();
    QList<T> list;
    list.reserve(array.size());
    for (const QJsonValue& element : array) {
        list.append(decode(element));
    }
    return list;
}

}  // namespace

Error decodingError(const QString& key) {
    return Error(
        errorDomain, dataCorruptedCode,
        QStringLiteral("JSON 데이터를 읽을 수 없습니다. \"%1\" 값이 없거나 형식이 올바르지 "
                       "않습니다.")
            .arg(key));
}

QString validText(QString text, const QString& key) {
    // Qt reads an escaped lone surrogate ("\ud800") into the text; it has no UTF-8 form, so
    // writing it back would silently turn it into "?".
    if (!text.isValidUtf16()) {
        throw decodingError(key);
    }
    return text;
}

QJsonObject toJson(const Category& category) {
    QJsonObject object{{QStringLiteral("id"), category.idText()},
                       {QStringLiteral("name"), category.name},
                       {QStringLiteral("kind"), rawValue(category.kind)},
                       {QStringLiteral("options"), textArray(category.options)}};
    if (category.iconName) {
        object.insert(QStringLiteral("iconName"), *category.iconName);
    }
    return object;
}

QJsonObject toJson(const MediaItem& item) {
    QJsonObject labels;
    for (const auto& [key, values] : item.labels) {
        labels.insert(key, textArray(values));
    }
    QJsonObject object{{QStringLiteral("id"), UuidText::upper(item.id)},
                       {QStringLiteral("filename"), item.filename},
                       {QStringLiteral("fileIdentity"), item.fileIdentity},
                       {QStringLiteral("kind"), rawValue(item.kind)},
                       {QStringLiteral("size"), static_cast<qint64>(item.size)},
                       {QStringLiteral("modified"), item.modified.secondsSinceReference()},
                       {QStringLiteral("added"), item.added.secondsSinceReference()},
                       {QStringLiteral("rating"), static_cast<qint64>(item.rating)},
                       {QStringLiteral("labels"), labels},
                       {QStringLiteral("notes"), item.notes},
                       {QStringLiteral("available"), item.available}};
    if (item.duration) {
        object.insert(QStringLiteral("duration"), *item.duration);
    }
    if (item.capturedAt) {
        object.insert(QStringLiteral("capturedAt"), item.capturedAt->secondsSinceReference());
    }
    return object;
}

QJsonObject toJson(const Library& library) {
    QJsonArray categories;
    for (const Category& category : library.categories) {
        categories.append(toJson(category));
    }
    QJsonArray items;
    for (const MediaItem& item : library.items) {
        items.append(toJson(item));
    }
    QJsonObject object{{QStringLiteral("version"), static_cast<qint64>(library.version)},
                       {QStringLiteral("categories"), categories},
                       {QStringLiteral("items"), items},
                       {QStringLiteral("includeSubfolders"), library.includeSubfolders}};
    if (library.directoryIdentity) {
        object.insert(QStringLiteral("directoryIdentity"), *library.directoryIdentity);
    }
    return object;
}

QByteArray encode(const Library& library) {
    return SortedJson::encode(toJson(library));
}

Category categoryFromJson(const QJsonValue& value) {
    const Fields fields(value, QStringLiteral("categories"));
    Category category;
    category.id = fields.uuid(QStringLiteral("id"));
    category.name = fields.text(QStringLiteral("name"));
    const QString kindKey = QStringLiteral("kind");
    if (const QJsonValue kind = fields.optional(kindKey); !kind.isNull()) {
        const auto parsed = propertyKindFromRaw(Fields::asText(kind, kindKey));
        if (!parsed) {
            throw decodingError(kindKey);
        }
        category.kind = *parsed;
    }
    const QString optionsKey = QStringLiteral("options");
    if (const QJsonValue options = fields.optional(optionsKey); !options.isNull()) {
        category.options = Fields::asTexts(options, optionsKey);
    }
    const QString iconKey = QStringLiteral("iconName");
    if (const QJsonValue icon = fields.optional(iconKey); !icon.isNull()) {
        category.iconName = Fields::asText(icon, iconKey);
    } else {
        category.iconName = category.symbol();
    }
    return category;
}

MediaItem itemFromJson(const QJsonValue& value) {
    const Fields fields(value, QStringLiteral("items"));
    MediaItem item;
    item.id = fields.uuid(QStringLiteral("id"));
    item.filename = fields.text(QStringLiteral("filename"));
    item.fileIdentity = fields.text(QStringLiteral("fileIdentity"));
    const auto kind = mediaKindFromRaw(fields.text(QStringLiteral("kind")));
    if (!kind) {
        throw decodingError(QStringLiteral("kind"));
    }
    item.kind = *kind;
    item.size = fields.integer(QStringLiteral("size"));
    item.modified = Date::fromSecondsSinceReference(fields.number(QStringLiteral("modified")));
    item.added = Date::fromSecondsSinceReference(fields.number(QStringLiteral("added")));
    const QString durationKey = QStringLiteral("duration");
    if (const QJsonValue duration = fields.optional(durationKey); !duration.isNull()) {
        item.duration = Fields::asNumber(duration, durationKey);
    }
    const QString capturedKey = QStringLiteral("capturedAt");
    if (const QJsonValue captured = fields.optional(capturedKey); !captured.isNull()) {
        item.capturedAt = Date::fromSecondsSinceReference(Fields::asNumber(captured, capturedKey));
    }
    item.rating = fields.integer(QStringLiteral("rating"));
    item.labels = labelsFromJson(fields.required(QStringLiteral("labels")));
    item.notes = fields.text(QStringLiteral("notes"));
    item.available = fields.boolean(QStringLiteral("available"));
    return item;
}

Library libraryFromJson(const QJsonValue& value) {
    const Fields fields(value, QStringLiteral("library"));
    Library library;
    library.version = fields.integer(QStringLiteral("version"));
    library.categories = listFromJson<Category>(fields.required(QStringLiteral("categories")),
                                                QStringLiteral("categories"), categoryFromJson);
    library.items = listFromJson<MediaItem>(fields.required(QStringLiteral("items")),
                                            QStringLiteral("items"), itemFromJson);
    const QString subfoldersKey = QStringLiteral("includeSubfolders");
    if (const QJsonValue subfolders = fields.optional(subfoldersKey); !subfolders.isNull()) {
        library.includeSubfolders = Fields::asBoolean(subfolders, subfoldersKey);
    }
    const QString identityKey = QStringLiteral("directoryIdentity");
    if (const QJsonValue identity = fields.optional(identityKey); !identity.isNull()) {
        library.directoryIdentity = Fields::asText(identity, identityKey);
    }
    return library;
}

QJsonValue parse(const QByteArray& bytes) {
    const std::optional<QJsonDocument> document = SortedJson::decode(bytes);
    if (!document) {
        throw Error(errorDomain, dataCorruptedCode,
                    QStringLiteral("JSON 데이터를 읽을 수 없습니다. 형식이 올바르지 않습니다."));
    }
    if (document->isArray()) {
        return document->array();
    }
    if (document->isObject()) {
        return document->object();
    }
    return QJsonValue();
}

Library decode(const QByteArray& bytes) {
    return libraryFromJson(parse(bytes));
}

}  // namespace lumivex::LibraryJson

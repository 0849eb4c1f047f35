#include "model/catalog_columns.h"
#include "model/catalog_schema.h"
#include "model/csv_codec.h"
#include "model/library.h"
#include "platform/decimal_text.h"
#include "platform/text_order.h"
#include "platform/uuid_text.h"

#include <QSet>

#include <cmath>

namespace lumivex {

namespace {

QString headerText(const Category& category) {
    switch (category.kind) {
        case PropertyKind::singleSelect:
            return CatalogColumns::singleSelectPrefix + category.name;
        case PropertyKind::multiSelect:
            return CatalogColumns::multiSelectPrefix + category.name;
        case PropertyKind::rating:
            return CatalogColumns::ratingPrefix + category.name;
    }
    return {};
}

QStringList header(const QList<Category>& categories) {
    QStringList fields = CatalogColumns::fixed;
    fields.reserve(fields.size() + categories.size() + 1);
    for (const Category& category : categories) {
        fields.append(headerText(category));
    }
    fields.append(CatalogColumns::capturedAt);
    return fields;
}

// The meta row lists only options the reader accepts: a value of spaces typed into a file is
// still an item's value, but as an option it would make every later save unreadable.
QStringList readableOptions(const QStringList& options) {
    QStringList result;
    result.reserve(options.size());
    QSet<QString> seen;
    seen.reserve(options.size());
    for (const QString& option : options) {
        if (TextOrder::trimmed(option).isEmpty() || seen.contains(option)) {
            continue;
        }
        seen.insert(option);
        result.append(option);
    }
    return result;
}

QString schemaText(const Library& library) {
    CatalogSchema schema;
    schema.properties.reserve(library.categories.size());
    for (Category category : library.categories) {
        category.options = readableOptions(
            category.kind == PropertyKind::rating ? category.options : library.options(category));
        schema.properties.append(std::move(category));
    }
    schema.includeSubfolders = library.includeSubfolders;
    schema.directoryIdentity = library.directoryIdentity;
    return QString::fromUtf8(schema.toJson());
}

QStringList metaRow(qsizetype fieldCount, const QString& schema) {
    QStringList fields(fieldCount);
    fields[CatalogColumns::kind] = CatalogColumns::metaMarker;
    fields[CatalogColumns::notes] = schema;
    return fields;
}

// The reader takes only finite lengths of 0 or more; anything else means no usable length.
QString durationCell(const std::optional<double>& duration) {
    if (!duration || !std::isfinite(*duration) || *duration < 0) {
        return {};
    }
    return DecimalText::shortest(*duration);
}

QStringList itemRow(const MediaItem& item, const QList<Category>& categories,
                    const QStringList& keys, qsizetype fieldCount) {
    const QString rating = DecimalText::integer(item.rating);
    QStringList fields;
    fields.reserve(fieldCount);
    fields << item.filename << rawValue(item.kind) << rating << durationCell(item.duration)
           << DecimalText::integer(item.size) << item.notes
           << (item.available ? QStringLiteral("true") : QStringLiteral("false"))
           << DecimalText::shortest(item.modified.secondsSince1970)
           << DecimalText::shortest(item.added.secondsSince1970) << UuidText::upper(item.id)
           << item.fileIdentity << CatalogColumns::rowVersion;
    for (qsizetype i = 0; i < categories.size(); ++i) {
        if (categories[i].kind == PropertyKind::rating) {
            fields.append(rating);
            continue;
        }
        const auto values = item.labels.find(keys[i]);
        fields.append(values == item.labels.end() ? QString() : values->second.join(u'\n'));
    }
    fields.append(item.capturedAt ? DecimalText::shortest(item.capturedAt->secondsSince1970)
                                  : QString());
    return fields;
}

}  // namespace

QString Library::catalogCSV() const {
    QList<QStringList> rows;
    rows.reserve(items.size() + 2);
    rows.append(header(categories));
    const qsizetype fieldCount = rows.first().size();
    rows.append(metaRow(fieldCount, schemaText(*this)));

    QStringList keys;
    keys.reserve(categories.size());
    for (const Category& category : categories) {
        keys.append(category.idText());
    }
    for (const MediaItem* item : CatalogColumns::rowOrder(items)) {
        rows.append(itemRow(*item, categories, keys, fieldCount));
    }
    return CSVCodec::encode(rows);
}

}  // namespace lumivex

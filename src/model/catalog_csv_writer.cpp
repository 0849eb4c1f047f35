#include "model/catalog_columns.h"
#include "model/catalog_schema.h"
#include "model/csv_codec.h"
#include "model/library.h"
#include "platform/decimal_text.h"
#include "platform/text_order.h"
#include "platform/uuid_text.h"

#include <QSet>

#include <charconv>
#include <cmath>
#include <iterator>

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

void writeMetaRow(CSVCodec::Writer& writer, qsizetype fieldCount, const QString& schema) {
    for (qsizetype i = 0; i < fieldCount; ++i) {
        if (i == CatalogColumns::kind) {
            writer.field(CatalogColumns::metaMarker);
        } else if (i == CatalogColumns::notes) {
            writer.field(schema);
        } else {
            writer.field({});
        }
    }
    writer.endRow();
}

void writeNumber(CSVCodec::Writer& writer, double value) {
    char digits[DecimalText::shortestCapacity];
    writer.latin1(digits, DecimalText::writeShortest(value, digits));
}

void writeInteger(CSVCodec::Writer& writer, std::int64_t value) {
    char digits[24];
    const auto written = std::to_chars(std::begin(digits), std::end(digits), value);
    writer.latin1(digits, written.ptr);
}

// The reader takes only finite lengths of 0 or more; anything else means no usable length.
void writeDuration(CSVCodec::Writer& writer, const std::optional<double>& duration) {
    if (!duration || !std::isfinite(*duration) || *duration < 0) {
        writer.field({});
        return;
    }
    writeNumber(writer, *duration);
}

// Written field by field: a catalog holds one row per item, and a table of fields in between
// would cost an allocation per field.
void writeItemRow(CSVCodec::Writer& writer, const MediaItem& item,
                  const QList<Category>& categories, const QStringList& keys) {
    writer.field(item.filename);
    writer.field(rawValue(item.kind));
    writeInteger(writer, item.rating);
    writeDuration(writer, item.duration);
    writeInteger(writer, item.size);
    writer.field(item.notes);
    writer.field(item.available ? u"true" : u"false");
    writeNumber(writer, item.modified.secondsSince1970);
    writeNumber(writer, item.added.secondsSince1970);
    writer.field(UuidText::upper(item.id));
    writer.field(item.fileIdentity);
    writer.field(CatalogColumns::rowVersion);
    for (qsizetype i = 0; i < categories.size(); ++i) {
        if (categories[i].kind == PropertyKind::rating) {
            writeInteger(writer, item.rating);
            continue;
        }
        const auto values = item.labels.find(keys[i]);
        writer.lines(values == item.labels.end() ? QStringList() : values->second);
    }
    if (item.capturedAt) {
        writeNumber(writer, item.capturedAt->secondsSince1970);
    } else {
        writer.field({});
    }
    writer.endRow();
}

}  // namespace

QString Library::catalogCSV() const {
    const QStringList headerFields = header(categories);
    QString out;
    out.reserve(512 + 224 * items.size());
    CSVCodec::Writer writer(out);
    for (const QString& field : headerFields) {
        writer.field(field);
    }
    writer.endRow();
    writeMetaRow(writer, headerFields.size(), schemaText(*this));

    QStringList keys;
    keys.reserve(categories.size());
    for (const Category& category : categories) {
        keys.append(category.idText());
    }
    for (const MediaItem* item : CatalogColumns::rowOrder(items)) {
        writeItemRow(writer, *item, categories, keys);
    }
    return out;
}

}  // namespace lumivex

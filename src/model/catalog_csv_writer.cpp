#include "model/catalog_columns.h"
#include "model/catalog_schema.h"
#include "model/csv_codec.h"
#include "model/library.h"
#include "model/option_sets.h"
#include "platform/decimal_text.h"
#include "platform/text_order.h"
#include "platform/uuid_text.h"

#include <QMutex>
#include <QSet>

#include <charconv>
#include <cmath>
#include <deque>
#include <iterator>
#include <memory>

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

Category withReadableOptions(const Library& library, const Category& category) {
    Category written = category;
    written.options = readableOptions(
        category.kind == PropertyKind::rating ? category.options : library.options(category));
    return written;
}

// The meta row's entry of a property of many options, remembered by the property's whole content
// with its options as a set: while the items hold no value beyond the options, the entry is a
// function of the property alone, and a save writes the same property into many folders, into
// both files of each, and again at the next save. Any thread.
class PropertyEntries {
public:
    static constexpr qsizetype fewOptions = 64;

    struct Entry {
        Category property;
        std::shared_ptr<const QSet<QString>> options;
        QByteArray json;
    };

    static PropertyEntries& shared() {
        static PropertyEntries entries;
        return entries;
    }

    std::shared_ptr<const Entry> of(const Category& property) {
        {
            const QMutexLocker locker(&mutex_);
            for (const std::shared_ptr<const Entry>& entry : entries_) {
                if (entry->property == property) {
                    return entry;
                }
            }
        }
        Category readable = property;
        readable.options = readableOptions(property.options);
        auto entry = std::make_shared<const Entry>(Entry{property, OptionSets::of(property.options),
                                                         CatalogSchema::propertyJson(readable)});
        const QMutexLocker locker(&mutex_);
        optionCount_ += property.options.size();
        entries_.push_back(entry);
        while (optionCount_ > optionLimit && entries_.size() > 1) {
            optionCount_ -= entries_.front()->property.options.size();
            entries_.pop_front();
        }
        return entry;
    }

private:
    // Enough for a few dozen folders' copies of a property of thousands of options.
    static constexpr qsizetype optionLimit = 100'000;

    QMutex mutex_;
    std::deque<std::shared_ptr<const Entry>> entries_;
    qsizetype optionCount_ = 0;
};

bool holdsOnly(const Library& library, const QString& key, const QSet<QString>& options) {
    for (const MediaItem& item : library.items) {
        const auto values = item.labels.find(key);
        if (values == item.labels.end()) {
            continue;
        }
        for (const QString& value : values->second) {
            if (!options.contains(value)) {
                return false;
            }
        }
    }
    return true;
}

// Library::options gives a property's own options when its items hold no other value.
QByteArray propertyJson(const Library& library, const Category& category) {
    if (category.kind == PropertyKind::rating ||
        category.options.size() < PropertyEntries::fewOptions) {
        return CatalogSchema::propertyJson(withReadableOptions(library, category));
    }
    const std::shared_ptr<const PropertyEntries::Entry> entry =
        PropertyEntries::shared().of(category);
    if (holdsOnly(library, category.idText(), *entry->options)) {
        return entry->json;
    }
    return CatalogSchema::propertyJson(withReadableOptions(library, category));
}

QString schemaText(const Library& library) {
    QList<QByteArray> properties;
    properties.reserve(library.categories.size());
    for (const Category& category : library.categories) {
        properties.append(propertyJson(library, category));
    }
    return QString::fromUtf8(
        CatalogSchema::assembled(properties, library.includeSubfolders, library.directoryIdentity));
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

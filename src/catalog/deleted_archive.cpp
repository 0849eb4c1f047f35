#include "catalog/deleted_archive.h"

#include "model/catalog_columns.h"
#include "model/catalog_csv_reader.h"
#include "model/catalog_error.h"
#include "model/csv_codec.h"
#include "platform/decimal_text.h"
#include "platform/text_order.h"
#include "platform/uuid_text.h"

#include <QHash>

#include <cmath>

namespace lumivex {

namespace {

// The deletion column sits right after the catalog's twelve fixed columns.
constexpr qsizetype deletionColumn = CatalogColumns::firstProperty;

QString deletionHeader() {
    return QStringLiteral("_삭제시각");
}

bool isMetaRow(const std::vector<QStringView>& row) {
    return row[CatalogColumns::filename].isEmpty() &&
           TextOrder::canonicallyEqual(row[CatalogColumns::kind].toString(),
                                       CatalogColumns::metaMarker) &&
           row[deletionColumn].isEmpty();
}

// Seconds since 1970 as the C library reads them in the C locale: no leading blank, nothing left
// over, finite and not negative.
Date deletionTime(QStringView text) {
    const std::optional<double> seconds = DecimalText::parseDouble(text);
    if (!seconds || !std::isfinite(*seconds) || *seconds < 0) {
        throw CatalogError::invalidCSV();
    }
    return Date{*seconds};
}

void writeDeletionField(CSVCodec::Writer& writer, bool header, const QHash<QString, Date>& times,
                        const std::vector<QStringView>& row) {
    if (header) {
        writer.field(deletionHeader());
        return;
    }
    const auto found = times.constFind(row[CatalogColumns::id].toString());
    if (found == times.cend()) {
        writer.field({});
        return;
    }
    char digits[DecimalText::shortestCapacity];
    writer.latin1(digits, DecimalText::writeShortest(found->secondsSince1970, digits));
}

}  // namespace

QString DeletedArchive::csv() const {
    QList<MediaItem> items;
    items.reserve(records.size());
    QHash<QString, Date> times;
    for (const DeletedRecord& record : records) {
        items.append(record.item);
        // Two records of one item break the archive's invariant; the first one's time is kept.
        const QString id = UuidText::upper(record.item.id);
        if (!times.contains(id)) {
            times.insert(id, record.deletedAt);
        }
    }
    // The catalog's rows copied field by field, the deletion time put in after the fixed columns.
    const QString catalog = Library::withContents(categories, items).catalogCSV();
    QString out;
    out.reserve(catalog.size() + 24 * (records.size() + 2));
    CSVCodec::Writer writer(out);
    bool header = true;
    CSVCodec::forEachRow(catalog, [&](const std::vector<QStringView>& row) {
        for (qsizetype column = 0; column < qsizetype(row.size()); ++column) {
            if (column == deletionColumn) {
                writeDeletionField(writer, header, times, row);
            }
            writer.field(row[size_t(column)]);
        }
        writer.endRow();
        header = false;
    });
    return out;
}

// Each row is checked for the archive's own column and handed on without it, as the catalog
// reader would read the same rows written without that column.
DeletedArchive DeletedArchive::fromCSV(const QString& text) {
    CatalogCSVReader reader;
    QList<Date> times;
    qsizetype width = -1;
    std::vector<QStringView> catalogRow;
    CSVCodec::forEachFileRow(text, [&](const std::vector<QStringView>& row) {
        if (width < 0) {
            if (qsizetype(row.size()) <= deletionColumn ||
                !TextOrder::canonicallyEqual(row[deletionColumn].toString(), deletionHeader())) {
                throw CatalogError::invalidCSV();
            }
            width = qsizetype(row.size());
        } else {
            if (qsizetype(row.size()) != width) {
                throw CatalogError::invalidCSV();
            }
            if (!isMetaRow(row)) {
                const Date time = deletionTime(row[deletionColumn]);
                if (row[CatalogColumns::available] != u"false") {
                    throw CatalogError::invalidCSV();
                }
                times.append(time);
            }
        }
        catalogRow.assign(row.begin(), row.end());
        catalogRow.erase(catalogRow.begin() + deletionColumn);
        reader.read(catalogRow);
    });
    if (width < 0) {
        throw CatalogError::invalidCSV();
    }
    const Library library = reader.finish();
    DeletedArchive archive;
    archive.categories = library.categories;
    const qsizetype count = std::min(library.items.size(), times.size());
    archive.records.reserve(count);
    for (qsizetype index = 0; index < count; ++index) {
        archive.records.append(DeletedRecord{library.items.at(index), times.at(index)});
    }
    return archive;
}

}  // namespace lumivex

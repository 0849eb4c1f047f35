#include "catalog/deleted_archive.h"

#include "model/catalog_columns.h"
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

bool isMetaRow(const QStringList& row) {
    return row.at(CatalogColumns::filename).isEmpty() &&
           TextOrder::canonicallyEqual(row.at(CatalogColumns::kind), CatalogColumns::metaMarker) &&
           row.at(deletionColumn).isEmpty();
}

// Seconds since 1970 as the C library reads them in the C locale: no leading blank, nothing left
// over, finite and not negative.
Date deletionTime(const QString& text) {
    const std::optional<double> seconds = DecimalText::parseDouble(text);
    if (!seconds || !std::isfinite(*seconds) || *seconds < 0) {
        throw CatalogError::invalidCSV();
    }
    return Date{*seconds};
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
    auto rows = CSVCodec::decode(Library::withContents(categories, items).catalogCSV());
    rows[0].insert(deletionColumn, deletionHeader());
    for (qsizetype index = 1; index < rows.size(); ++index) {
        QStringList& row = rows[index];
        const auto found = times.constFind(row.value(CatalogColumns::id));
        row.insert(deletionColumn, found == times.cend()
                                       ? QString()
                                       : DecimalText::shortest(found->secondsSince1970));
    }
    return CSVCodec::encode(rows);
}

DeletedArchive DeletedArchive::fromCSV(const QString& text) {
    auto rows = CSVCodec::decodeFile(text);
    if (rows.isEmpty() || rows[0].size() <= deletionColumn ||
        !TextOrder::canonicallyEqual(rows[0].at(deletionColumn), deletionHeader())) {
        throw CatalogError::invalidCSV();
    }
    const qsizetype width = rows[0].size();
    rows[0].removeAt(deletionColumn);
    QList<Date> times;
    for (qsizetype index = 1; index < rows.size(); ++index) {
        QStringList& row = rows[index];
        if (row.size() != width) {
            throw CatalogError::invalidCSV();
        }
        if (!isMetaRow(row)) {
            const Date time = deletionTime(row.at(deletionColumn));
            if (row.at(CatalogColumns::available) != QStringLiteral("false")) {
                throw CatalogError::invalidCSV();
            }
            times.append(time);
        }
        row.removeAt(deletionColumn);
    }
    const Library library = Library::fromCatalogCSV(CSVCodec::encode(rows));
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

#include "model/catalog_csv_reader.h"

#include "model/catalog_columns.h"
#include "model/catalog_error.h"
#include "model/catalog_schema.h"
#include "model/csv_codec.h"
#include "model/library.h"
#include "platform/decimal_text.h"
#include "platform/small_text_set.h"
#include "platform/text_order.h"
#include "platform/uuid_text.h"

#include <QSet>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>
#include <limits>

namespace lumivex {

namespace {

[[noreturn]] void reject() {
    throw CatalogError::invalidCSV();
}

// The name after `prefix` when the field starts with it and at least one character follows.
// Characters are grapheme clusters, so a combining mark right after the colon joins the colon
// and the prefix does not match.
std::optional<QString> nameAfterPrefix(const QString& field, const QString& prefix) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, field);
    qsizetype end = 0;
    for (qsizetype count = 0; count < prefix.size(); ++count) {
        end = finder.toNextBoundary();
        if (end < 0) {
            return std::nullopt;
        }
    }
    if (end >= field.size() || !TextOrder::canonicallyEqual(field.left(end), prefix)) {
        return std::nullopt;
    }
    return field.mid(end);
}

// Header properties stand under a stand-in identifier, one per column, until the reader knows
// whether a meta row names them: drawing random identifiers for every file read is slow.
QUuid standIn(qsizetype column) {
    return QUuid(uint(column), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
}

Category headerProperty(const QString& field, qsizetype column) {
    using namespace CatalogColumns;
    for (const auto& [prefix, kind] : {std::pair{multiSelectPrefix, PropertyKind::multiSelect},
                                       std::pair{ratingPrefix, PropertyKind::rating},
                                       std::pair{singleSelectPrefix, PropertyKind::singleSelect}}) {
        if (auto name = nameAfterPrefix(field, prefix)) {
            return Category{
                standIn(column), std::move(*name), kind, {}, QStringLiteral("list.bullet")};
        }
    }
    reject();
}

bool hasRepeatedLowerCasedName(const QList<Category>& properties) {
    QSet<QString> names;
    names.reserve(properties.size());
    for (const Category& property : properties) {
        const QString name = TextOrder::lowerCased(property.name);
        if (names.contains(name)) {
            return true;
        }
        names.insert(name);
    }
    return false;
}

qsizetype ratingCount(const QList<Category>& properties) {
    return std::count_if(properties.begin(), properties.end(), [](const Category& property) {
        return property.kind == PropertyKind::rating;
    });
}

bool isBlank(const QString& text) {
    return TextOrder::trimmed(text).isEmpty();
}

struct Header {
    QList<Category> properties;
    bool hasCaptureColumn = false;
};

Header readHeader(const QStringList& fields) {
    using namespace CatalogColumns;
    if (fields.size() < firstProperty) {
        reject();
    }
    for (qsizetype i = 0; i < firstProperty; ++i) {
        if (!TextOrder::canonicallyEqual(fields[i], fixed[i])) {
            reject();
        }
    }
    Header header;
    header.hasCaptureColumn = TextOrder::canonicallyEqual(fields.last(), capturedAt);
    const qsizetype end = fields.size() - (header.hasCaptureColumn ? 1 : 0);
    header.properties.reserve(end - firstProperty);
    for (qsizetype i = firstProperty; i < end; ++i) {
        header.properties.append(headerProperty(fields[i], i));
    }
    QSet<QString> seen;
    seen.reserve(fields.size());
    for (const QString& field : fields) {
        const QString normalized = TextOrder::nfc(field);
        if (seen.contains(normalized)) {
            reject();
        }
        seen.insert(normalized);
    }
    if (ratingCount(header.properties) > 1 || hasRepeatedLowerCasedName(header.properties)) {
        reject();
    }
    // A blank name is refused in the meta row; refusing it here too keeps a file without a meta
    // row from opening as a library whose every save would then be refused.
    for (const Category& property : header.properties) {
        if (isBlank(property.name)) {
            reject();
        }
    }
    return header;
}

double finiteNumber(QStringView text) {
    const auto number = DecimalText::parseDouble(text);
    if (!number || !std::isfinite(*number)) {
        reject();
    }
    return *number;
}

std::int64_t integerIn(QStringView text, std::int64_t low, std::int64_t high) {
    const auto number = DecimalText::parseInteger(text);
    if (!number || *number < low || *number > high) {
        reject();
    }
    return *number;
}

// The values of a choice cell: cut at every line break, empty pieces dropped, pieces kept
// untrimmed. No value holds a carriage return, so one belongs to a line break: a catalog whose
// line ends were converted to CR LF keeps its values apart, and every piece reads back the same
// after the values are joined by line feeds again.
QStringList cellPieces(QStringView cell) {
    QStringList pieces;
    const auto isBreak = [](QChar c) { return c == u'\n' || c == u'\r'; };
    qsizetype start = 0;
    for (qsizetype i = 0; i <= cell.size(); ++i) {
        if (i < cell.size() && !isBreak(cell[i])) {
            continue;
        }
        if (i > start) {
            pieces.append(cell.mid(start, i - start).toString());
        }
        start = i + 1;
    }
    return pieces;
}

QStringList withoutRepeats(QStringList pieces) {
    if (pieces.size() < 2) {
        return pieces;
    }
    SmallTextSet seen;
    QStringList unique;
    unique.reserve(pieces.size());
    for (QString& piece : pieces) {
        if (seen.insert(TextOrder::nfc(piece))) {
            unique.append(std::move(piece));
        }
    }
    return unique;
}

using Row = std::vector<QStringView>;

// One pass over the rows of a catalog, all or nothing. Rows come as views of their fields; only
// the texts an item keeps are copied.
class CatalogReader {
public:
    explicit CatalogReader(const QStringList& headerFields)
        : header_(readHeader(headerFields)), fieldCount_(headerFields.size()) {
        useProperties(header_.properties);
    }

    void read(const Row& row) {
        if (qsizetype(row.size()) != fieldCount_) {
            reject();
        }
        if (row[CatalogColumns::filename].isEmpty()) {
            readMeta(row);
        } else {
            readItem(row);
        }
    }

    Library finish(Library library) {
        if (!metaSeen_) {
            identifyHeaderProperties();
            addRatingProperty();
        }
        library.categories = std::move(properties_);
        library.items = std::move(items_);
        library.includeSubfolders = includeSubfolders_;
        library.directoryIdentity = std::move(directoryIdentity_);
        return library;
    }

    void reserve(qsizetype rowCount) { items_.reserve(rowCount); }

private:
    void useProperties(QList<Category> properties) {
        properties_ = std::move(properties);
        cells_.clear();
        keys_.clear();
        keys_.reserve(properties_.size());
        for (const Category& property : properties_) {
            keys_.append(property.idText());
        }
    }

    void identifyHeaderProperties();
    void readItem(const Row& row);
    // The values of a choice cell. Cells of one column mostly repeat a few texts, so their value
    // lists are kept and shared by the items that hold the same text.
    struct Cell {
        QString text;
        qsizetype pieceCount = 0;
        QStringList values;
    };
    const Cell& cell(qsizetype column, QStringView text);
    void readProperties(const Row& row, MediaItem& item);
    void readMeta(const Row& row);
    void addRatingProperty();

    Header header_;
    qsizetype fieldCount_;
    QList<Category> properties_;
    QStringList keys_;
    std::vector<std::vector<Cell>> cells_;
    bool metaSeen_ = false;
    bool includeSubfolders_ = false;
    std::optional<QString> directoryIdentity_;
    QSet<QUuid> ids_;
    QList<MediaItem> items_;
};

void CatalogReader::identifyHeaderProperties() {
    std::map<QString, QString> keys;
    for (Category& property : properties_) {
        const QString standInKey = property.idText();
        property.id = QUuid::createUuid();
        keys.emplace(standInKey, property.idText());
    }
    useProperties(std::move(properties_));
    for (MediaItem& item : items_) {
        Labels labels;
        for (const auto& [key, values] : item.labels) {
            labels.emplace(keys.at(key), values);
        }
        item.labels = std::move(labels);
    }
}

void CatalogReader::readItem(const Row& row) {
    using namespace CatalogColumns;
    MediaItem item;
    const auto kind = mediaKindFromRaw(row[CatalogColumns::kind]);
    if (!kind) {
        reject();
    }
    item.kind = *kind;
    item.rating = integerIn(row[rating], 0, 5);
    item.size = integerIn(row[size], 0, std::numeric_limits<std::int64_t>::max());
    if (row[available] != u"true" && row[available] != u"false") {
        reject();
    }
    item.available = row[available] == u"true";
    item.modified = Date{finiteNumber(row[modified])};
    item.added = Date{finiteNumber(row[added])};
    const auto identifier = UuidText::parse(row[id]);
    if (!identifier || row[fileIdentity].isEmpty() || row[version] != rowVersion ||
        ids_.contains(*identifier)) {
        reject();
    }
    ids_.insert(*identifier);
    item.id = *identifier;
    if (!row[duration].isEmpty()) {
        const double seconds = finiteNumber(row[duration]);
        if (seconds < 0) {
            reject();
        }
        item.duration = seconds;
    }
    item.filename = row[filename].toString();
    item.fileIdentity = row[fileIdentity].toString();
    item.notes = row[notes].toString();
    if (header_.hasCaptureColumn && !row.back().isEmpty()) {
        item.capturedAt = Date{finiteNumber(row.back())};
    }
    readProperties(row, item);
    items_.append(std::move(item));
}

// The rating was read as 0 to 5 already, so its text is a single digit.
bool isRatingText(QStringView cell, std::int64_t rating) {
    return cell.size() == 1 && cell[0] == QChar(char16_t(u'0' + rating));
}

const CatalogReader::Cell& CatalogReader::cell(qsizetype column, QStringView text) {
    constexpr size_t remembered = 32;
    std::vector<Cell>& known = cells_[size_t(column)];
    for (const Cell& cell : known) {
        if (cell.text == text) {
            return cell;
        }
    }
    QStringList pieces = cellPieces(text);
    Cell cell{text.toString(), pieces.size(), withoutRepeats(std::move(pieces))};
    if (known.size() == remembered) {
        known.erase(known.begin());
    }
    known.push_back(std::move(cell));
    return known.back();
}

void CatalogReader::readProperties(const Row& row, MediaItem& item) {
    cells_.resize(size_t(properties_.size()));
    for (qsizetype i = 0; i < properties_.size(); ++i) {
        const QStringView text = row[size_t(CatalogColumns::firstProperty + i)];
        const PropertyKind kind = properties_[i].kind;
        if (kind == PropertyKind::rating) {
            if (!isRatingText(text, item.rating)) {
                reject();
            }
            continue;
        }
        if (text.isEmpty()) {
            continue;
        }
        const Cell& values = cell(i, text);
        if (kind == PropertyKind::singleSelect && values.pieceCount > 1) {
            reject();
        }
        if (!values.values.isEmpty()) {
            item.labels.emplace(keys_[i], values.values);
        }
    }
}

void CatalogReader::readMeta(const Row& row) {
    if (!TextOrder::canonicallyEqual(row[CatalogColumns::kind].toString(),
                                     CatalogColumns::metaMarker)) {
        reject();
    }
    if (metaSeen_ || !items_.isEmpty()) {
        reject();
    }
    for (qsizetype i = 0; i < qsizetype(row.size()); ++i) {
        if (i != CatalogColumns::kind && i != CatalogColumns::notes && !row[size_t(i)].isEmpty()) {
            reject();
        }
    }
    auto schema = CatalogSchema::fromJson(row[CatalogColumns::notes].toUtf8());
    if (!schema || schema->properties.size() != header_.properties.size()) {
        reject();
    }
    for (qsizetype i = 0; i < schema->properties.size(); ++i) {
        const Category& property = schema->properties[i];
        const Category& column = header_.properties[i];
        if (!TextOrder::canonicallyEqual(property.name, column.name) ||
            property.kind != column.kind) {
            reject();
        }
    }
    QSet<QUuid> ids;
    for (const Category& property : schema->properties) {
        if (ids.contains(property.id)) {
            reject();
        }
        ids.insert(property.id);
    }
    if (hasRepeatedLowerCasedName(schema->properties) || ratingCount(schema->properties) > 1) {
        reject();
    }
    for (const Category& property : schema->properties) {
        QSet<QString> options;
        for (const QString& option : property.options) {
            if (isBlank(option) || options.contains(option)) {
                reject();
            }
            options.insert(option);
        }
        if (isBlank(property.name)) {
            reject();
        }
    }
    useProperties(std::move(schema->properties));
    includeSubfolders_ = schema->includeSubfolders;
    directoryIdentity_ = std::move(schema->directoryIdentity);
    metaSeen_ = true;
}

void CatalogReader::addRatingProperty() {
    const bool ratingNameTaken =
        std::any_of(properties_.begin(), properties_.end(), [](const Category& property) {
            return TextOrder::canonicallyEqual(property.name, QStringLiteral("별점"));
        });
    if (ratingCount(properties_) > 0) {
        return;
    }
    Category rating{QUuid::createUuid(),
                    ratingNameTaken ? QStringLiteral("내 별점") : QStringLiteral("별점"),
                    PropertyKind::rating,
                    {},
                    QStringLiteral("list.bullet")};
    // A library holding two properties of one name could never be saved: its own catalog
    // would be refused.
    const QString lowered = TextOrder::lowerCased(rating.name);
    for (const Category& property : properties_) {
        if (TextOrder::lowerCased(property.name) == lowered) {
            reject();
        }
    }
    properties_.insert(properties_.isEmpty() ? 0 : 1, std::move(rating));
}

}  // namespace

struct CatalogCSVReader::State {
    std::optional<CatalogReader> reader;
    qsizetype reserved = 0;
};

CatalogCSVReader::CatalogCSVReader() : state_(std::make_unique<State>()) {}

CatalogCSVReader::~CatalogCSVReader() = default;

void CatalogCSVReader::reserve(qsizetype rowCount) {
    state_->reserved = rowCount;
    if (state_->reader) {
        state_->reader->reserve(rowCount);
    }
}

void CatalogCSVReader::read(const std::vector<QStringView>& row) {
    if (state_->reader) {
        state_->reader->read(row);
        return;
    }
    QStringList header;
    header.reserve(qsizetype(row.size()));
    for (const QStringView field : row) {
        header.append(field.toString());
    }
    state_->reader.emplace(header);
    state_->reader->reserve(state_->reserved);
}

Library CatalogCSVReader::finish() {
    if (!state_->reader) {
        reject();
    }
    return state_->reader->finish(Library());
}

Library Library::fromCatalogCSV(const QString& text) {
    CatalogCSVReader reader;
    // Every row ends with CR LF: counting the returns spares regrowing the item list.
    reader.reserve(QStringView(text).count(u'\r'));
    CSVCodec::forEachFileRow(text, [&](const std::vector<QStringView>& row) { reader.read(row); });
    return reader.finish();
}

}  // namespace lumivex

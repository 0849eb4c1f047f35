#include "model/catalog_columns.h"
#include "model/csv_codec.h"
#include "model/library.h"
#include "platform/decimal_text.h"

#include <charconv>

namespace lumivex {

namespace {

// "%.3f" without the user's locale. Large lengths only come from hand-edited files; the buffer
// holds every finite double in fixed notation.
QString threeDecimals(double value) {
    char buffer[512];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

QStringList header(const QList<Category>& categories) {
    QStringList fields{QStringLiteral("파일명"),   QStringLiteral("종류"),
                       QStringLiteral("길이(초)"), QStringLiteral("크기(bytes)"),
                       QStringLiteral("메모"),     QStringLiteral("파일 존재")};
    fields.reserve(fields.size() + categories.size());
    for (const Category& category : categories) {
        fields.append(category.name);
    }
    return fields;
}

QStringList itemRow(const MediaItem& item, const QList<Category>& categories,
                    const QStringList& keys) {
    QStringList fields;
    fields.reserve(6 + categories.size());
    fields << item.filename
           << (item.kind == MediaKind::photo ? QStringLiteral("사진") : QStringLiteral("영상"))
           << (item.duration ? threeDecimals(*item.duration) : QString())
           << DecimalText::integer(item.size) << item.notes
           << (item.available ? QStringLiteral("예") : QStringLiteral("아니오"));
    for (qsizetype i = 0; i < categories.size(); ++i) {
        if (categories[i].kind == PropertyKind::rating) {
            fields.append(DecimalText::integer(item.rating));
            continue;
        }
        const auto values = item.labels.find(keys[i]);
        fields.append(values == item.labels.end() ? QString()
                                                  : values->second.join(QStringLiteral("; ")));
    }
    return fields;
}

}  // namespace

QString Library::csv() const {
    QList<QStringList> rows;
    rows.reserve(items.size() + 1);
    rows.append(header(categories));
    QStringList keys;
    keys.reserve(categories.size());
    for (const Category& category : categories) {
        keys.append(category.idText());
    }
    for (const MediaItem* item : CatalogColumns::rowOrder(items)) {
        rows.append(itemRow(*item, categories, keys));
    }
    // The export shares the catalog's outer form: BOM, every field quoted, CR LF after each row.
    return CSVCodec::encode(rows);
}

}  // namespace lumivex

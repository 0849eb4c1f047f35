#include "catalog_fixture.h"

#include "model/catalog_columns.h"
#include "model/catalog_schema.h"
#include "model/csv_codec.h"
#include "model/library.h"
#include "model/library_json.h"
#include "platform/sorted_json.h"
#include "platform/text_order.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSet>

#include <gtest/gtest.h>

using namespace lumivex;

namespace {

// The meta row's JSON as the writer made it before it assembled the text from each property's
// own: the whole schema as one object through the sorted writer.
QByteArray wholeObjectJson(const CatalogSchema& schema) {
    QJsonArray array;
    for (const Category& property : schema.properties) {
        array.append(LibraryJson::toJson(property));
    }
    QJsonObject object{{QStringLiteral("properties"), array},
                       {QStringLiteral("includeSubfolders"), schema.includeSubfolders}};
    if (schema.directoryIdentity) {
        object.insert(QStringLiteral("directoryIdentity"), *schema.directoryIdentity);
    }
    return SortedJson::encode(object);
}

// The meta row a catalog of `library` must carry, worked out from the library without any
// remembered entry: each property with every option its items use, the unreadable ones dropped.
QString expectedMeta(const Library& library) {
    CatalogSchema schema;
    for (Category category : library.categories) {
        const QStringList all =
            category.kind == PropertyKind::rating ? category.options : library.options(category);
        QStringList readable;
        for (const QString& option : all) {
            if (!TextOrder::trimmed(option).isEmpty() && !readable.contains(option)) {
                readable.append(option);
            }
        }
        category.options = readable;
        schema.properties.append(category);
    }
    schema.includeSubfolders = library.includeSubfolders;
    schema.directoryIdentity = library.directoryIdentity;
    return QString::fromUtf8(wholeObjectJson(schema));
}

QString writtenMeta(const Library& library) {
    QString meta;
    int row = 0;
    CSVCodec::forEachRow(library.catalogCSV(), [&](const std::vector<QStringView>& fields) {
        if (row++ == 1) {
            meta = fields[CatalogColumns::notes].toString();
        }
    });
    return meta;
}

QStringList manyOptions(const QString& prefix) {
    QStringList options;
    for (int i = 0; i < 300; ++i) {
        options.append(prefix + QString::number(i));
    }
    return options;
}

}  // namespace

TEST(CatalogSchemaText, IsTheSortedWritersTextOfTheWholeSchema) {
    const QString tricky = QStringLiteral("a/\"b\"\\\n\t") + QChar(0x1F) + QChar(0xFEFF) +
                           QChar(0xD800) + QStringLiteral("사람 😀");
    CatalogSchema schema;
    schema.properties = {
        Category{QUuid::createUuid(),
                 QStringLiteral("별점"),
                 PropertyKind::rating,
                 {},
                 QStringLiteral("list.bullet")},
        Category{QUuid::createUuid(), tricky, PropertyKind::singleSelect,
                 QStringList{tricky, QString(), QStringLiteral("x")}, std::nullopt},
        Category{QUuid::createUuid(), QString(), PropertyKind::multiSelect, {}, tricky}};
    for (const bool subfolders : {false, true}) {
        for (const std::optional<QString>& identity :
             {std::optional<QString>(), std::optional<QString>(QString()),
              std::optional<QString>(tricky)}) {
            schema.includeSubfolders = subfolders;
            schema.directoryIdentity = identity;
            EXPECT_EQ(schema.toJson(), wholeObjectJson(schema));
        }
    }
    schema.properties.clear();
    EXPECT_EQ(schema.toJson(), wholeObjectJson(schema));
}

// A property of many options has its meta entry remembered by content; every change that reaches
// the entry must give the text worked out afresh.
TEST(CatalogSchemaText, APropertyOfManyOptionsIsWrittenAsWorkedOutAfresh) {
    Library library = test::sampleLibrary();
    Category& many = library.categories[1];
    many.options = manyOptions(QStringLiteral("opt-"));
    const QString key = many.idText();
    library.items[0].labels[key] = {many.options[7]};
    library.items[1].labels[key] = {many.options[250], many.options[3]};
    library.directoryIdentity = QStringLiteral("1:2:3.0");
    library.includeSubfolders = true;
    const auto check = [&](const char* step) {
        EXPECT_EQ(writtenMeta(library), expectedMeta(library)) << step;
        EXPECT_EQ(writtenMeta(library), expectedMeta(library)) << step << ", again";
    };
    check("options only");

    library.items[1].labels[key].append(QStringLiteral("undeclared"));
    check("a value beyond the options");
    // The composed form of a declared option is that option, not a new one.
    library.categories[1].options.append(QStringLiteral("e\u0301"));
    library.items[0].labels[key] = {QString(QChar(0xE9))};
    check("a value declared in another normal form");

    library.items[1].labels[key] = {library.categories[1].options[4]};
    library.categories[1].options[4] = QStringLiteral("renamed");
    library.items[1].labels[key] = {QStringLiteral("renamed")};
    check("an option renamed in place");

    library.categories[1].options[5] = QStringLiteral("  ");
    library.categories[1].options[6] = library.categories[1].options[8];
    check("a blank and a repeated option");

    library.categories[1].name = QStringLiteral("other");
    library.categories[1].kind = PropertyKind::singleSelect;
    library.items[1].labels.erase(key);
    check("the property renamed and made single choice");

    Library copy = library;
    copy.categories[1].id = QUuid::createUuid();
    for (MediaItem& item : copy.items) {
        item.labels.erase(key);
    }
    EXPECT_EQ(writtenMeta(copy), expectedMeta(copy));
    EXPECT_NE(writtenMeta(copy), writtenMeta(library));
}

TEST(CatalogSchemaText, LibraryOptionsListUndeclaredValuesOnlyOnceInAnyNormalForm) {
    Library library = test::sampleLibrary();
    Category& property = library.categories[1];
    property.options = {QString(QChar(0xE9)), QStringLiteral("b")};
    const QString key = property.idText();
    library.items[0].labels[key] = {QStringLiteral("e\u0301"), QStringLiteral("b")};
    library.items[1].labels[key] = {QStringLiteral("z"), QStringLiteral("a\u0301"),
                                    QString(QChar(0xE1))};
    EXPECT_EQ(library.options(library.categories[1]),
              (QStringList{QString(QChar(0xE9)), QStringLiteral("b"), QStringLiteral("a\u0301"),
                           QStringLiteral("z")}));
    library.items[1].labels.erase(key);
    library.items[0].labels[key] = {QStringLiteral("b")};
    EXPECT_EQ(library.options(library.categories[1]), library.categories[1].options);
}

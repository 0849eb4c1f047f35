#include "catalog_fixture.h"

#include "model/library.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace lumivex;

namespace {

MediaItem namedItem(const QString& filename) {
    MediaItem item;
    item.id = QUuid::createUuid();
    item.filename = filename;
    item.fileIdentity = QStringLiteral("1:") + filename;
    return item;
}

QStringList filenames(const Library& library) {
    QStringList names;
    for (const MediaItem& item : library.items) {
        names.append(item.filename);
    }
    return names;
}

}  // namespace

TEST(CatalogCSVWriter, WritesTheCatalogByteForByte) {
    const QString expected =
        QString(QChar(0xFEFF)) +
        QStringLiteral(
            "\"파일명\",\"종류\",\"별점\",\"길이(초)\",\"크기(bytes)\",\"메모\",\"파일 "
            "존재\",\"수정일\","
            "\"추가일\",\"ID\",\"파일 "
            "식별자\",\"_버전\",\"별점속성:별점\",\"분류:사람\",\"단일선택:위치\","
            "\"_촬영일\"\r\n"
            "\"\",\"_속성\",\"\",\"\",\"\",\"{\"\"directoryIdentity\"\":\"\"2049:5:1.0\"\","
            "\"\"includeSubfolders\"\":true,\"\"properties\"\":["
            "{\"\"iconName\"\":\"\"list.bullet\"\",\"\"id\"\":\"\"11111111-2222-3333-4444-"
            "555555555555\"\","
            "\"\"kind\"\":\"\"rating\"\",\"\"name\"\":\"\"별점\"\",\"\"options\"\":[]},"
            "{\"\"iconName\"\":\"\"person.2\"\",\"\"id\"\":\"\"AAAAAAAA-0000-0000-0000-"
            "000000000001\"\","
            "\"\"kind\"\":\"\"multiSelect\"\",\"\"name\"\":\"\"사람\"\",\"\"options\"\":["
            "\"\"엄마\"\","
            "\"\"아빠\"\"]},"
            "{\"\"id\"\":\"\"AAAAAAAA-0000-0000-0000-000000000002\"\",\"\"kind\"\":"
            "\"\"singleSelect\"\","
            "\"\"name\"\":\"\"위치\"\",\"\"options\"\":[\"\"서울\\/강남\"\"]}]}\","
            "\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"
            "\"img2.mov\",\"video\",\"0\",\"65.5\",\"99\",\"\",\"false\",\"1.0\",\"2.0\","
            "\"00000000-0000-4000-8000-00000000ABCD\",\"2049:12:1.0\",\"1\",\"0\",\"\",\"\","
            "\"\"\r\n"
            "\"img10.jpg\",\"photo\",\"3\",\"\",\"1234\",\"첫 줄, \"\"인용\"\"\n둘째 줄\",\"true\","
            "\"1700000000.5\",\"1700000100.0\",\"0F0E0D0C-0B0A-4908-8706-050403020100\","
            "\"2049:11:1600000000.25\",\"1\",\"3\",\"아빠\n엄마\",\"서울/"
            "강남\",\"1600000000.0\"\r\n");
    EXPECT_EQ(test::sampleLibrary().catalogCSV(), expected);
}

TEST(CatalogCSVWriter, ReadsBackWhatItWrites) {
    Library written = test::sampleLibrary();
    const Library read = Library::fromCatalogCSV(written.catalogCSV());
    written.categories[1].options.append(QStringLiteral("아빠"));
    written.categories[2].options.append(QStringLiteral("서울/강남"));
    written.categories[2].iconName = QStringLiteral("mappin");  // a read property has an icon
    std::swap(written.items[0], written.items[1]);
    EXPECT_EQ(read.categories, written.categories);
    EXPECT_EQ(read.items, written.items);
    EXPECT_TRUE(read.includeSubfolders);
    EXPECT_EQ(read.directoryIdentity, QStringLiteral("2049:5:1.0"));
    EXPECT_EQ(read.catalogCSV(), Library::fromCatalogCSV(read.catalogCSV()).catalogCSV());
}

TEST(CatalogCSVWriter, EmptyAndRatingOnlyLibraries) {
    const QString empty = Library::withContents({}, {}).catalogCSV();
    const QString header = QStringLiteral(
        "\"파일명\",\"종류\",\"별점\",\"길이(초)\",\"크기(bytes)\",\"메모\",\"파일 "
        "존재\",\"수정일\","
        "\"추가일\",\"ID\",\"파일 식별자\",\"_버전\",\"_촬영일\"\r\n");
    EXPECT_EQ(empty,
              QString(QChar(0xFEFF)) + header +
                  QStringLiteral("\"\",\"_속성\",\"\",\"\",\"\",\"{\"\"includeSubfolders\"\":"
                                 "false,\"\"properties\"\":[]}\",\"\",\"\",\"\",\"\",\"\","
                                 "\"\",\"\"\r\n"));
    EXPECT_TRUE(Library::fromCatalogCSV(empty).categories.isEmpty());

    Library rated = test::sampleLibrary();
    rated.categories = {rated.categories[0]};
    const Library read = Library::fromCatalogCSV(rated.catalogCSV());
    EXPECT_EQ(read.categories, rated.categories);
    EXPECT_EQ(read.items[1].rating, 3);
    EXPECT_TRUE(rated.catalogCSV().contains(
        QStringLiteral("\"2049:11:1600000000.25\",\"1\",\"3\",\"1600000000.0\"\r\n")));
}

TEST(CatalogCSVWriter, OrdersRowsLikeAFileBrowserAndStably) {
    MediaItem first = namedItem(QStringLiteral("same.jpg"));
    MediaItem second = namedItem(QStringLiteral("same.jpg"));
    second.fileIdentity = QStringLiteral("other");
    const Library library = Library::withContents(
        {}, {namedItem(QStringLiteral("img10.jpg")), first, namedItem(QStringLiteral("B.jpg")),
             namedItem(QStringLiteral("img2.jpg")), second, namedItem(QStringLiteral("a.jpg"))});
    const Library read = Library::fromCatalogCSV(library.catalogCSV());
    EXPECT_EQ(filenames(read),
              (QStringList{QStringLiteral("a.jpg"), QStringLiteral("B.jpg"),
                           QStringLiteral("img2.jpg"), QStringLiteral("img10.jpg"),
                           QStringLiteral("same.jpg"), QStringLiteral("same.jpg")}));
    EXPECT_EQ(read.items[4].id, first.id);
    EXPECT_EQ(read.items[5].id, second.id);
}

TEST(CatalogCSVWriter, MetaRowListsOnlyOptionsTheReaderAccepts) {
    Library library = test::sampleLibrary();
    library.categories[0].options = {QStringLiteral(" ")};
    library.categories[1].options = {QStringLiteral("엄마"), QStringLiteral("엄마"),
                                     QStringLiteral("\n")};
    library.items[0].labels[library.categories[1].idText()] = {QStringLiteral("  "),
                                                               QStringLiteral("아빠")};
    const QString text = library.catalogCSV();
    EXPECT_TRUE(text.contains(QStringLiteral("\"\"options\"\":[\"\"엄마\"\",\"\"아빠\"\"]")));
    EXPECT_TRUE(text.contains(QStringLiteral(",\"  \n아빠\",")));
    const Library read = Library::fromCatalogCSV(text);
    EXPECT_EQ(read.categories[0].options, QStringList());
    EXPECT_EQ(read.items[1].labels.at(library.categories[1].idText()),
              (QStringList{QStringLiteral("  "), QStringLiteral("아빠")}));
    // The value of spaces is still the item's, so the next save lists it again and reads again.
    EXPECT_EQ(Library::fromCatalogCSV(read.catalogCSV()).items, read.items);
}

TEST(CatalogCSVWriter, UnusableLengthsAreWrittenAsNone) {
    Library library = test::sampleLibrary();
    const double huge = std::numeric_limits<double>::max();
    library.items[1].duration = huge;
    EXPECT_EQ(Library::fromCatalogCSV(library.catalogCSV()).items[0].duration, huge);
    for (double unusable : {std::numeric_limits<double>::infinity(), std::nan(""), -1.0}) {
        library.items[1].duration = unusable;
        EXPECT_EQ(Library::fromCatalogCSV(library.catalogCSV()).items[0].duration, std::nullopt);
    }
}

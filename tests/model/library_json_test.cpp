#include "catalog_fixture.h"

#include "model/library_json.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace lumivex;

namespace {

QJsonValue json(const char* text) {
    return QJsonDocument::fromJson(QByteArray(text)).object();
}

template <typename Decode>
bool refused(Decode decode) {
    try {
        decode();
    } catch (const Error& error) {
        EXPECT_EQ(error.domain(), LibraryJson::errorDomain);
        EXPECT_FALSE(error.description().isEmpty());
        return true;
    }
    return false;
}

const char* const itemJson =
    "{\"id\":\"0f0e0d0c-0b0a-4908-8706-050403020100\",\"filename\":\"a/b.jpg\","
    "\"fileIdentity\":\"x\",\"kind\":\"photo\",\"size\":5,\"modified\":0,\"added\":1.5,"
    "\"rating\":2,\"labels\":{\"K\":[\"v\"]},\"notes\":\"\",\"available\":true}";

}  // namespace

TEST(LibraryJson, CategoriesTakeDefaultsAndIcons) {
    const Category place = LibraryJson::categoryFromJson(
        json("{\"id\":\"AAAAAAAA-0000-0000-0000-000000000001\",\"name\":\"위치\"}"));
    EXPECT_EQ(place.kind, PropertyKind::multiSelect);
    EXPECT_TRUE(place.options.isEmpty());
    EXPECT_EQ(place.iconName, QStringLiteral("mappin"));
    const Category rating = LibraryJson::categoryFromJson(
        json("{\"id\":\"aaaaaaaa-0000-0000-0000-000000000001\",\"name\":\"별점\","
             "\"kind\":\"rating\",\"options\":null,\"iconName\":null}"));
    EXPECT_EQ(rating.iconName, QStringLiteral("star"));

    Category plain = place;
    plain.iconName.reset();
    EXPECT_FALSE(LibraryJson::toJson(plain).contains(QStringLiteral("iconName")));
    for (const char* bad :
         {"{\"name\":\"a\"}", "{\"id\":\"x\",\"name\":\"a\"}",
          "{\"id\":\"AAAAAAAA-0000-0000-0000-000000000001\",\"name\":null}",
          "{\"id\":\"AAAAAAAA-0000-0000-0000-000000000001\",\"name\":\"a\",\"kind\":\"tag\"}",
          "{\"id\":\"AAAAAAAA-0000-0000-0000-000000000001\",\"name\":\"a\",\"options\":[1]}"}) {
        EXPECT_TRUE(refused([&] { LibraryJson::categoryFromJson(json(bad)); })) << bad;
    }
}

TEST(LibraryJson, ItemsCheckEveryType) {
    const MediaItem item = LibraryJson::itemFromJson(json(itemJson));
    EXPECT_EQ(item.modified, Date::fromSecondsSinceReference(0));
    EXPECT_EQ(item.modified.secondsSince1970, 978307200.0);
    EXPECT_EQ(item.duration, std::nullopt);
    EXPECT_EQ(item.labels.at(QStringLiteral("K")), QStringList{QStringLiteral("v")});
    const QJsonObject base = json(itemJson).toObject();
    for (const auto& [key, value] :
         {std::pair{"size", QJsonValue(1.5)}, std::pair{"size", QJsonValue(QStringLiteral("5"))},
          std::pair{"rating", QJsonValue(1e300)},
          std::pair{"kind", QJsonValue(QStringLiteral("gif"))},
          std::pair{"available", QJsonValue(1)}, std::pair{"notes", QJsonValue()},
          std::pair{"labels", QJsonValue(QJsonObject{{QStringLiteral("K"), QStringLiteral("v")}})},
          std::pair{"duration", QJsonValue(QStringLiteral("1"))},
          std::pair{"modified", QJsonValue(QJsonValue::Undefined)}}) {
        QJsonObject object = base;
        if (value.isUndefined()) {
            object.remove(QString::fromLatin1(key));
        } else {
            object.insert(QString::fromLatin1(key), value);
        }
        EXPECT_TRUE(refused([&] { LibraryJson::itemFromJson(object); })) << key;
    }
}

TEST(LibraryJson, LibrariesRoundTripThroughSortedBytes) {
    Library library = test::sampleLibrary();
    library.catalogDirectories = {QString()};
    const QByteArray bytes = LibraryJson::encode(library);
    EXPECT_TRUE(bytes.startsWith("{\"categories\":[{\"iconName\""));
    EXPECT_TRUE(bytes.contains("\"filename\":\"img10.jpg\""));
    EXPECT_TRUE(bytes.contains("\"modified\":721692800.5"));
    EXPECT_TRUE(bytes.contains("\\/"));
    const Library read = LibraryJson::decode(bytes);
    library.catalogDirectories.clear();
    library.categories[2].iconName = QStringLiteral("mappin");
    EXPECT_EQ(read, library);

    const Library minimal = LibraryJson::decode("{\"version\":1,\"categories\":[],\"items\":[]}");
    EXPECT_FALSE(minimal.includeSubfolders);
    EXPECT_TRUE(minimal.categories.isEmpty());
    EXPECT_EQ(minimal.directoryIdentity, std::nullopt);
    for (const char* bad : {"{\"version\":1,\"items\":[]}",
                            "{\"version\":1.5,\"categories\":[],"
                            "\"items\":[]}",
                            "[]", "{", "",
                            "{\"version\":1,\"categories\":[],\"items\":[],"
                            "\"includeSubfolders\":\"yes\"}"}) {
        EXPECT_TRUE(refused([&] { LibraryJson::decode(bad); })) << bad;
    }
}

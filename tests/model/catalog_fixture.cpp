#include "catalog_fixture.h"

#include "model/catalog_error.h"
#include "model/csv_codec.h"

#include <gtest/gtest.h>

namespace lumivex::test {

Library sampleLibrary() {
    const Category rating{QUuid::fromString(u"11111111-2222-3333-4444-555555555555"),
                          QStringLiteral("별점"),
                          PropertyKind::rating,
                          {},
                          QStringLiteral("list.bullet")};
    const Category people{QUuid::fromString(u"aaaaaaaa-0000-0000-0000-000000000001"),
                          QStringLiteral("사람"),
                          PropertyKind::multiSelect,
                          {QStringLiteral("엄마")},
                          QStringLiteral("person.2")};
    const Category place{QUuid::fromString(u"aaaaaaaa-0000-0000-0000-000000000002"),
                         QStringLiteral("위치"),
                         PropertyKind::singleSelect,
                         {},
                         std::nullopt};
    MediaItem photo;
    photo.id = QUuid::fromString(u"0f0e0d0c-0b0a-4908-8706-050403020100");
    photo.filename = QStringLiteral("img10.jpg");
    photo.fileIdentity = QStringLiteral("2049:11:1600000000.25");
    photo.kind = MediaKind::photo;
    photo.size = 1234;
    photo.modified = Date{1700000000.5};
    photo.added = Date{1700000100.0};
    photo.capturedAt = Date{1600000000.0};
    photo.rating = 3;
    photo.labels[people.idText()] = {QStringLiteral("아빠"), QStringLiteral("엄마")};
    photo.labels[place.idText()] = {QStringLiteral("서울/강남")};
    photo.notes = QStringLiteral("첫 줄, \"인용\"\n둘째 줄");
    MediaItem video;
    video.id = QUuid::fromString(u"00000000-0000-4000-8000-00000000abcd");
    video.filename = QStringLiteral("img2.mov");
    video.fileIdentity = QStringLiteral("2049:12:1.0");
    video.kind = MediaKind::video;
    video.size = 99;
    video.modified = Date{1.0};
    video.added = Date{2.0};
    video.duration = 65.5;
    video.available = false;
    Library library = Library::withContents({rating, people, place}, {photo, video});
    library.includeSubfolders = true;
    library.directoryIdentity = QStringLiteral("2049:5:1.0");
    return library;
}

QList<QStringList> validCatalogRows() {
    QStringList header{QStringLiteral("파일명"),        QStringLiteral("종류"),
                       QStringLiteral("별점"),          QStringLiteral("길이(초)"),
                       QStringLiteral("크기(bytes)"),   QStringLiteral("메모"),
                       QStringLiteral("파일 존재"),     QStringLiteral("수정일"),
                       QStringLiteral("추가일"),        QStringLiteral("ID"),
                       QStringLiteral("파일 식별자"),   QStringLiteral("_버전"),
                       QStringLiteral("별점속성:별점"), QStringLiteral("분류:사람"),
                       QStringLiteral("단일선택:위치"), QStringLiteral("_촬영일")};
    QStringList meta(header.size());
    meta[1] = QStringLiteral("_속성");
    meta[5] = QStringLiteral(
        "{\"includeSubfolders\":false,\"properties\":["
        "{\"id\":\"11111111-2222-3333-4444-555555555555\",\"kind\":\"rating\",\"name\":\"별점\"},"
        "{\"id\":\"AAAAAAAA-0000-0000-0000-000000000001\",\"kind\":\"multiSelect\","
        "\"name\":\"사람\",\"options\":[\"엄마\"]},"
        "{\"id\":\"AAAAAAAA-0000-0000-0000-000000000002\",\"kind\":\"singleSelect\","
        "\"name\":\"위치\"}]}");
    const QStringList item{
        QStringLiteral("a.jpg"),      QStringLiteral("photo"),
        QStringLiteral("2"),          QString(),
        QStringLiteral("10"),         QString(),
        QStringLiteral("true"),       QStringLiteral("1.0"),
        QStringLiteral("2.0"),        QStringLiteral("0F0E0D0C-0B0A-4908-8706-050403020100"),
        QStringLiteral("2049:1:1.0"), QStringLiteral("1"),
        QStringLiteral("2"),          QStringLiteral("엄마"),
        QStringLiteral("서울"),       QString()};
    return {header, meta, item};
}

bool catalogRefused(const QString& text) {
    try {
        Library::fromCatalogCSV(text);
    } catch (const Error& error) {
        EXPECT_TRUE(CatalogError::isInvalidCSV(error));
        return true;
    }
    return false;
}

bool catalogRefused(const QList<QStringList>& rows) {
    return catalogRefused(CSVCodec::encode(rows));
}

}  // namespace lumivex::test

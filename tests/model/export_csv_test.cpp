#include "catalog_fixture.h"

#include "model/library.h"

#include <gtest/gtest.h>

#include <limits>

using namespace lumivex;

TEST(ExportCSV, WritesPeopleReadableRows) {
    const QString bom(QChar(0xFEFF));
    EXPECT_EQ(Library::withContents({}, {}).csv(),
              bom + QStringLiteral("\"파일명\",\"종류\",\"길이(초)\",\"크기(bytes)\",\"메모\","
                                   "\"파일 존재\"\r\n"));
    Library library = test::sampleLibrary();
    library.categories[1].name = QStringLiteral("메모");
    library.items[1].duration = 65.4321;
    EXPECT_EQ(
        library.csv(),
        bom + QStringLiteral(
                  "\"파일명\",\"종류\",\"길이(초)\",\"크기(bytes)\",\"메모\",\"파일 존재\","
                  "\"별점\",\"메모\",\"위치\"\r\n"
                  "\"img2.mov\",\"영상\",\"65.432\",\"99\",\"\",\"아니오\",\"0\",\"\",\"\"\r\n"
                  "\"img10.jpg\",\"사진\",\"\",\"1234\",\"첫 줄, \"\"인용\"\"\n둘째 줄\","
                  "\"예\",\"3\",\"아빠; 엄마\",\"서울/강남\"\r\n"));
}

TEST(ExportCSV, LengthsHaveThreeDecimalsWhateverTheirSize) {
    Library library = test::sampleLibrary();
    library.categories.clear();
    library.items.removeFirst();
    const auto lengthOf = [&](double seconds) {
        library.items[0].duration = seconds;
        return library.csv().split(QStringLiteral("\r\n"))[1].split(u',')[2];
    };
    EXPECT_EQ(lengthOf(7), QStringLiteral("\"7.000\""));
    EXPECT_EQ(lengthOf(0.0005), QStringLiteral("\"0.001\""));
    EXPECT_EQ(lengthOf(std::numeric_limits<double>::infinity()), QStringLiteral("\"inf\""));
    const QString huge = lengthOf(std::numeric_limits<double>::max());
    EXPECT_EQ(huge.size(), 2 + 309 + 4);
    EXPECT_TRUE(huge.endsWith(QStringLiteral(".000\"")));
}

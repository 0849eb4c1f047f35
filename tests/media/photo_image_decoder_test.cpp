#include "media/photo_image_decoder.h"

#include "media/photo_image_manager.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <exiv2/exiv2.hpp>

namespace lumivex {
namespace {

class PhotoImageDecoderTest : public ::testing::Test {
protected:
    // A 16x8 JPEG, turned a quarter clockwise for display when `orientation` says 6.
    QString wide(int orientation = 1) {
        const QString path = temp.filePath(QStringLiteral("wide.jpg"));
        QImage image(16, 8, QImage::Format_RGB32);
        image.fill(Qt::gray);
        EXPECT_TRUE(image.save(path, "JPEG"));
        if (orientation != 1) {
            auto file = Exiv2::ImageFactory::open(path.toStdString());
            file->readMetadata();
            file->exifData()["Exif.Image.Orientation"] = static_cast<uint16_t>(orientation);
            file->writeMetadata();
        }
        return path;
    }

    QTemporaryDir temp;
};

TEST_F(PhotoImageDecoderTest, FitsOrFillsTheBoxWithoutEnlarging) {
    const QString path = wide();
    EXPECT_EQ(PhotoImageDecoder::decode(path, {8, true, false}).size(), QSize(8, 4));
    EXPECT_EQ(PhotoImageDecoder::decode(path, {4, false, false}).size(), QSize(8, 4));
    EXPECT_EQ(PhotoImageDecoder::decode(path, {8, false, false}).size(), QSize(16, 8));
    EXPECT_EQ(PhotoImageDecoder::decode(path, {64, true, false}).size(), QSize(16, 8));
}

TEST_F(PhotoImageDecoderTest, TheStatedOrientationIsApplied) {
    EXPECT_EQ(PhotoImageDecoder::decode(wide(6), {8, true, false}).size(), QSize(4, 8));
}

TEST_F(PhotoImageDecoderTest, AFileThatIsNoImageGivesANullImage) {
    EXPECT_TRUE(
        PhotoImageDecoder::decode(temp.filePath(QStringLiteral("missing.jpg")), {8, true, false})
            .isNull());
}

}  // namespace
}  // namespace lumivex

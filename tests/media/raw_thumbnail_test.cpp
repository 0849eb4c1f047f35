#include "media/raw_thumbnail.h"

#include "media/thumbnail_decoder.h"
#include "red_blue_halves.h"
#include "support/dng_fixtures.h"
#include "support/test_files.h"

#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

using test::bluish;
using test::redBlueHalves;
using test::reddish;
using test::writeFile;

const std::atomic<bool> goOn{false};

class RawThumbnailTest : public ::testing::Test {
protected:
    QString write(const QString& name, const test::DngPicture& picture) {
        const QString path = folder_.filePath(name);
        writeFile(path, test::dng(picture));
        return path;
    }

    QTemporaryDir folder_;
};

TEST_F(RawThumbnailTest, TellsRawFilesByTheirNames) {
    for (const char* name :
         {"a.DNG", "a.cr2", "a.CR3", "a.nef", "a.arw", "a.raf", "a.orf", "a.rw2"}) {
        EXPECT_TRUE(RawThumbnail::handles(QString::fromLatin1(name))) << name;
    }
    for (const char* name : {"a.jpg", "a.tif", "a.heic", "a.png", "raw", "a.mp4"}) {
        EXPECT_FALSE(RawThumbnail::handles(QString::fromLatin1(name))) << name;
    }
}

TEST_F(RawThumbnailTest, ThePreviewServesWhenItIsLargeEnoughAndIsTurnedUpright) {
    const QString camera = write(QStringLiteral("IMG_0001.dng"),
                                 {.preview = redBlueHalves(QSize(320, 240)), .orientation = 6});
    for (const auto scaling : {ThumbnailScaling::fit, ThumbnailScaling::fill}) {
        const PhotoDecoding small = ThumbnailDecoder::decodePhoto(camera, 144, goOn, scaling);
        EXPECT_EQ(small.route, DecodeRoute::embeddedPreview);
        const QSize expected = scaling == ThumbnailScaling::fit ? QSize(108, 144) : QSize(144, 192);
        ASSERT_EQ(small.image.size(), expected);
        EXPECT_TRUE(reddish(small.image.pixel(expected.width() / 2, 10)));
        EXPECT_TRUE(bluish(small.image.pixel(expected.width() / 2, expected.height() - 10)));
    }
}

// Converters store full-size previews; one decodes at reduced scale, never whole.
TEST_F(RawThumbnailTest, ALargePreviewIsNeverDecodedWhole) {
    const QString camera =
        write(QStringLiteral("large.dng"), {.preview = redBlueHalves(QSize(4000, 3000))});
    // 12 MiB is a quarter of the full preview's 46 MiB: only a reduced decode gets through.
    const int previousLimit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(12);
    const PhotoDecoding decoded = ThumbnailDecoder::decodePhoto(camera, 360, goOn);
    QImageReader::setAllocationLimit(previousLimit);
    EXPECT_EQ(decoded.route, DecodeRoute::embeddedPreview);
    ASSERT_EQ(decoded.image.size(), QSize(360, 270));
    EXPECT_TRUE(reddish(decoded.image.pixel(40, 135)));
    EXPECT_TRUE(bluish(decoded.image.pixel(320, 135)));
}

// Bright on top, dark below, as the quarter-turned mosaic of the fixture shows.
bool brightOnTop(const QImage& image) {
    const int top = qGray(image.pixel(image.width() / 2, image.height() / 8));
    const int bottom = qGray(image.pixel(image.width() / 2, image.height() * 7 / 8));
    return top > bottom + 60;
}

TEST_F(RawThumbnailTest, WithoutALargeEnoughPreviewTheSensorIsDevelopedAtHalfSize) {
    const QString bare =
        write(QStringLiteral("bare.dng"), {.orientation = 6, .sensor = QSize(96, 64)});
    const PhotoDecoding developed = ThumbnailDecoder::decodePhoto(bare, 360, goOn);
    EXPECT_EQ(developed.route, DecodeRoute::reducedRaw);
    ASSERT_EQ(developed.image.size(), QSize(32, 48));
    EXPECT_TRUE(brightOnTop(developed.image));

    // A 16-pixel preview cannot serve a 360-pixel thumbnail; the sensor is developed instead.
    const QString tiny =
        write(QStringLiteral("tiny.dng"),
              {.preview = redBlueHalves(QSize(16, 12)), .orientation = 6, .sensor = QSize(96, 64)});
    EXPECT_EQ(ThumbnailDecoder::decodePhoto(tiny, 360, goOn).route, DecodeRoute::reducedRaw);
    EXPECT_EQ(ThumbnailDecoder::decodePhoto(tiny, 12, goOn).route, DecodeRoute::embeddedPreview);

    // Sensor data beyond the allocation limit is never developed; within it, it is.
    const int previousLimit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(1);
    const QString wide = write(QStringLiteral("wide.dng"), {.sensor = QSize(1024, 640)});
    const PhotoDecoding refused = ThumbnailDecoder::decodePhoto(wide, 360, goOn);
    const PhotoDecoding allowed = ThumbnailDecoder::decodePhoto(bare, 360, goOn);
    QImageReader::setAllocationLimit(previousLimit);
    EXPECT_TRUE(refused.image.isNull());
    EXPECT_EQ(allowed.route, DecodeRoute::reducedRaw);
}

// Three samples a pixel take LibRaw eight bytes a pixel, twice: 400 by 400 of them is beyond
// 1 MiB, where a mosaic of that size is not.
TEST_F(RawThumbnailTest, LinearSensorDataIsJudgedByWhatDevelopingItTakes) {
    const QString linear =
        write(QStringLiteral("linear.dng"), {.sensor = QSize(400, 400), .linear = true});
    const QString mosaic = write(QStringLiteral("mosaic.dng"), {.sensor = QSize(400, 400)});
    const int previousLimit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(1);
    const PhotoDecoding refused = ThumbnailDecoder::decodePhoto(linear, 360, goOn);
    const PhotoDecoding allowed = ThumbnailDecoder::decodePhoto(mosaic, 360, goOn);
    QImageReader::setAllocationLimit(previousLimit);
    EXPECT_TRUE(refused.image.isNull());
    EXPECT_EQ(allowed.route, DecodeRoute::reducedRaw);
    EXPECT_EQ(ThumbnailDecoder::decodePhoto(linear, 360, goOn).route, DecodeRoute::reducedRaw);
}

TEST_F(RawThumbnailTest, DamagedFilesGiveNoThumbnailAndNoCrash) {
    const QByteArray whole = test::dng(
        {.preview = redBlueHalves(QSize(320, 240)), .orientation = 6, .sensor = {96, 64}});
    QByteArray garbled = whole;
    for (qsizetype i = 8; i < whole.size(); i += 5) {
        garbled[i] = static_cast<char>(garbled[i] ^ 0xa5);
    }
    QByteArray directoriesGone = whole;
    directoriesGone.replace(4, 4, QByteArray::fromHex("ffffff7f"));
    const QList<QByteArray> damaged = {whole.left(8),
                                       whole.left(whole.size() / 3),
                                       whole.left(whole.size() - 30),
                                       garbled,
                                       directoriesGone,
                                       QByteArray(),
                                       QByteArrayLiteral("II*\0")};
    for (qsizetype i = 0; i < damaged.size(); ++i) {
        const QString path = folder_.filePath(QStringLiteral("damaged%1.nef").arg(i));
        writeFile(path, damaged[i]);
        for (const int size : {96, 1000}) {
            const QImage image = ThumbnailDecoder::photo(path, size, goOn);
            EXPECT_LE(std::max(image.width(), image.height()), size) << i;
        }
    }
    const std::atomic<bool> stop{true};
    writeFile(folder_.filePath(QStringLiteral("whole.dng")), whole);
    EXPECT_TRUE(
        ThumbnailDecoder::photo(folder_.filePath(QStringLiteral("whole.dng")), 96, stop).isNull());
}

}  // namespace
}  // namespace lumivex

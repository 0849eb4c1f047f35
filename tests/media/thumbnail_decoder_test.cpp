#include "media/thumbnail_decoder.h"

#include "held_decoder.h"
#include "media/thumbnail_cache.h"
#include "media/video_frame.h"
#include "model/video_asset.h"
#include "red_blue_halves.h"
#include "support/dng_fixtures.h"
#include "support/heif_fixtures.h"
#include "support/media_fixtures.h"
#include "support/test_files.h"

#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace lumivex {
namespace {

using test::bluish;
using test::encodeImage;
using test::redBlueHalves;
using test::reddish;
using test::writeFile;

const std::atomic<bool> goOn{false};

class ThumbnailDecoderTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return folder_.filePath(name); }

    QTemporaryDir folder_;
};

TEST_F(ThumbnailDecoderTest, AppliesTheExifOrientation) {
    // Orientation 6: the stored picture is shown turned a quarter clockwise, so its left half
    // ends up on top.
    writeFile(path(QStringLiteral("turned.jpg")),
              encodeImage(redBlueHalves(QSize(80, 40)), "jpeg"));
    test::setOrientation(path(QStringLiteral("turned.jpg")), 6);

    const QImage full = ThumbnailDecoder::photo(path(QStringLiteral("turned.jpg")), 360, goOn);
    ASSERT_EQ(full.size(), QSize(40, 80));
    EXPECT_TRUE(reddish(full.pixel(20, 10)));
    EXPECT_TRUE(bluish(full.pixel(20, 70)));

    const QImage small = ThumbnailDecoder::photo(path(QStringLiteral("turned.jpg")), 20, goOn);
    ASSERT_EQ(small.size(), QSize(10, 20));
    EXPECT_TRUE(reddish(small.pixel(5, 2)));
    EXPECT_TRUE(bluish(small.pixel(5, 17)));
}

TEST_F(ThumbnailDecoderTest, DecodesALargeJpegAtReducedSize) {
    const QString photo = path(QStringLiteral("large.jpg"));
    writeFile(photo, encodeImage(redBlueHalves(QSize(4000, 3000)), "jpeg", 80));
    // 12 MiB is a quarter of the full picture's 46 MiB: only a reduced decode gets through.
    const int previousLimit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(12);
    const QImage fullRead = QImageReader(photo).read();
    const QImage thumbnail = ThumbnailDecoder::photo(photo, 360, goOn);
    QImageReader::setAllocationLimit(previousLimit);

    EXPECT_TRUE(fullRead.isNull());
    EXPECT_EQ(thumbnail.size(), QSize(360, 270));
    EXPECT_TRUE(reddish(thumbnail.pixel(40, 135)));
    EXPECT_TRUE(bluish(thumbnail.pixel(320, 135)));
}

TEST_F(ThumbnailDecoderTest, ShrinksButNeverEnlarges) {
    writeFile(path(QStringLiteral("wide.png")), encodeImage(redBlueHalves(QSize(300, 100)), "png"));
    EXPECT_EQ(ThumbnailDecoder::photo(path(QStringLiteral("wide.png")), 360, goOn).size(),
              QSize(300, 100));
    EXPECT_EQ(ThumbnailDecoder::photo(path(QStringLiteral("wide.png")), 144, goOn).size(),
              QSize(144, 48));
    EXPECT_TRUE(ThumbnailDecoder::photo(path(QStringLiteral("wide.png")), 0, goOn).isNull());
}

TEST_F(ThumbnailDecoderTest, FillingCoversTheBoxButNeverEnlarges) {
    const QString wide = path(QStringLiteral("wide.png"));
    writeFile(wide, encodeImage(redBlueHalves(QSize(300, 100)), "png"));
    EXPECT_EQ(ThumbnailDecoder::photo(wide, 50, goOn, ThumbnailScaling::fill).size(),
              QSize(150, 50));
    EXPECT_EQ(ThumbnailDecoder::photo(wide, 144, goOn, ThumbnailScaling::fill).size(),
              QSize(300, 100));
    // Orientation 6 turns the stored 80x40 picture upright.
    const QString turned = path(QStringLiteral("turned.jpg"));
    writeFile(turned, encodeImage(redBlueHalves(QSize(80, 40)), "jpeg"));
    test::setOrientation(turned, 6);
    const QImage filled = ThumbnailDecoder::photo(turned, 20, goOn, ThumbnailScaling::fill);
    ASSERT_EQ(filled.size(), QSize(20, 40));
    EXPECT_TRUE(reddish(filled.pixel(10, 5)));
    // A sliver keeps at least one pixel across.
    EXPECT_EQ(reducedSize(QSize(1000, 1), 10, ThumbnailScaling::fit), QSize(10, 1));
}

TEST_F(ThumbnailDecoderTest, DecodesWebPAndTiffUpright) {
    // A TIFF keeps its orientation in its own tag, which Qt's reader applies.
    const QString tiff = path(QStringLiteral("scan.tif"));
    {
        QImageWriter writer(tiff, "tiff");
        writer.setTransformation(QImageIOHandler::TransformationRotate90);
        ASSERT_TRUE(writer.write(redBlueHalves(QSize(400, 200))));
    }
    // Qt's WebP reader ignores the EXIF block; the decoder reads the orientation itself.
    const QString webp = path(QStringLiteral("download.webp"));
    writeFile(webp, encodeImage(redBlueHalves(QSize(400, 200)), "webp", 100));
    test::setOrientation(webp, 6);
    const QString plainWebp = path(QStringLiteral("plain.webp"));
    writeFile(plainWebp, encodeImage(redBlueHalves(QSize(400, 200)), "webp", 100));

    for (const QString& turned : {tiff, webp}) {
        const QImage image = ThumbnailDecoder::photo(turned, 144, goOn);
        ASSERT_EQ(image.size(), QSize(72, 144)) << turned.toStdString();
        EXPECT_TRUE(reddish(image.pixel(36, 10))) << turned.toStdString();
        EXPECT_TRUE(bluish(image.pixel(36, 134))) << turned.toStdString();
        EXPECT_EQ(ThumbnailDecoder::photo(turned, 100, goOn, ThumbnailScaling::fill).size(),
                  QSize(100, 200));
    }
    const QImage plain = ThumbnailDecoder::photo(plainWebp, 144, goOn);
    ASSERT_EQ(plain.size(), QSize(144, 72));
    EXPECT_TRUE(reddish(plain.pixel(10, 36)));
    EXPECT_TRUE(bluish(plain.pixel(134, 36)));
}

TEST_F(ThumbnailDecoderTest, UnreadableFilesGiveNoImage) {
    const QByteArray jpeg = encodeImage(redBlueHalves(QSize(64, 64)), "jpeg");
    writeFile(path(QStringLiteral("empty.jpg")), QByteArray());
    writeFile(path(QStringLiteral("text.jpg")), QByteArrayLiteral("not a picture at all"));
    writeFile(path(QStringLiteral("header.jpg")), jpeg.left(20));
    // A PNG that declares 100,000 x 100,000 pixels in a few bytes.
    QByteArray bomb = test::png({});
    bomb.replace(16, 8, QByteArray::fromHex("000186a0000186a0"));
    writeFile(path(QStringLiteral("bomb.png")), bomb);

    for (const char* name : {"empty.jpg", "text.jpg", "header.jpg", "bomb.png", "missing.jpg"}) {
        EXPECT_TRUE(ThumbnailDecoder::photo(path(QString::fromLatin1(name)), 360, goOn).isNull())
            << name;
    }
    // A truncated body may give a partly grey picture, but never more than the size asked for.
    writeFile(path(QStringLiteral("cut.jpg")), jpeg.left(jpeg.size() / 2));
    const QImage cut = ThumbnailDecoder::photo(path(QStringLiteral("cut.jpg")), 32, goOn);
    EXPECT_LE(std::max(cut.width(), cut.height()), 32);
}

TEST_F(ThumbnailDecoderTest, ACancelledDecodeGivesNothing) {
    writeFile(path(QStringLiteral("a.png")), encodeImage(redBlueHalves(QSize(8, 8)), "png"));
    const std::atomic<bool> stop{true};
    EXPECT_TRUE(ThumbnailDecoder::photo(path(QStringLiteral("a.png")), 360, stop).isNull());
    EXPECT_TRUE(ThumbnailDecoder::decode(
                    {path(QStringLiteral("a.png")), MediaKind::photo, std::nullopt, 360}, stop)
                    .isNull());
}

TEST(VideoFrameTime, IsHalfTheLengthAtMostOneSecond) {
    EXPECT_EQ(VideoFrame::frameTime(1.5), 0.75);
    EXPECT_EQ(VideoFrame::frameTime(2.0), 1.0);
    EXPECT_EQ(VideoFrame::frameTime(600.0), 1.0);
    EXPECT_EQ(VideoFrame::frameTime(std::nullopt), 0.0);
    EXPECT_EQ(VideoFrame::frameTime(0.0), 0.0);
    EXPECT_EQ(VideoFrame::frameTime(-3.0), 0.0);
    EXPECT_EQ(VideoFrame::frameTime(std::numeric_limits<double>::quiet_NaN()), 0.0);
}

// The grey level of a clip frame tells its index (see VideoClip); video luma spans 16 to 235.
int frameIndex(const QImage& frame) {
    const double luma =
        qGray(frame.pixel(frame.width() / 2, frame.height() / 2)) * 219.0 / 255 + 16;
    return static_cast<int>(std::lround((luma - 64) / 16));
}

TEST_F(ThumbnailDecoderTest, TakesTheVideoFrameAtTheChosenTime) {
    const QString clip = path(QStringLiteral("clip.mp4"));
    test::writeVideo(clip, {.frames = 10, .framesPerSecond = 4});  // one frame each 0.25 s
    auto frameFor = [&](std::optional<double> duration) {
        return ThumbnailDecoder::decode({clip, MediaKind::video, duration, 360}, goOn);
    };
    EXPECT_EQ(frameIndex(frameFor(2.5)), 4);  // 1.0 s
    EXPECT_EQ(frameIndex(frameFor(1.0)), 2);  // 0.5 s
    EXPECT_EQ(frameIndex(frameFor(std::nullopt)), 0);
    EXPECT_EQ(frameFor(2.5).size(), QSize(64, 64));
    // A stated length longer than the file still gives a frame.
    EXPECT_EQ(frameIndex(VideoFrame::grab(clip, 30.0, 360, goOn)), 9);
}

TEST_F(ThumbnailDecoderTest, HonoursTheVideoRotationAndFitsOrFillsTheBox) {
    const QString clip = path(QStringLiteral("turned.mp4"));
    test::writeVideo(clip, {.frames = 2, .width = 96, .height = 48, .clockwiseRotation = 90});
    EXPECT_EQ(VideoFrame::grab(clip, 0, 360, goOn).size(), QSize(48, 96));
    EXPECT_EQ(VideoFrame::grab(clip, 0, 32, goOn).size(), QSize(16, 32));
    EXPECT_EQ(
        ThumbnailDecoder::decode({clip, MediaKind::video, 0.2, 32, ThumbnailScaling::fill}, goOn)
            .size(),
        QSize(32, 64));
}

// Sizes alone cannot tell a quarter turn one way from the other: the left half of the picture
// is red and its right half blue, so a clockwise turn puts red on top of the thumbnail.
TEST_F(ThumbnailDecoderTest, TurnsAVideoThumbnailTheWayItsRotationSays) {
    const auto isRed = [](QRgb pixel) { return qRed(pixel) > 160 && qBlue(pixel) < 100; };
    const auto isBlue = [](QRgb pixel) { return qBlue(pixel) > 160 && qRed(pixel) < 100; };
    for (const int rotation : {90, 270}) {
        SCOPED_TRACE(rotation);
        const QString clip = path(QStringLiteral("turned%1.mp4").arg(rotation));
        test::writeVideo(clip, {.frames = 2,
                                .width = 96,
                                .height = 48,
                                .clockwiseRotation = rotation,
                                .redLeftBlueRight = true});
        const QImage thumbnail = ThumbnailDecoder::decode(
            {clip, MediaKind::video, 0.0, 64, ThumbnailScaling::fit}, goOn);
        ASSERT_EQ(thumbnail.size(), QSize(32, 64));
        const QRgb top = thumbnail.pixel(16, 12);
        const QRgb bottom = thumbnail.pixel(16, 52);
        EXPECT_TRUE(rotation == 90 ? isRed(top) && isBlue(bottom) : isBlue(top) && isRed(bottom))
            << std::hex << "top " << top << ", bottom " << bottom;
    }
}

TEST_F(ThumbnailDecoderTest, AVideoWithoutFramesGivesNothing) {
    writeFile(path(QStringLiteral("junk.mp4")), QByteArray(4096, 'x'));
    writeFile(path(QStringLiteral("empty.mp4")), QByteArray());
    test::writeVideo(path(QStringLiteral("whole.mp4")), {});
    writeFile(path(QStringLiteral("cut.mp4")),
              test::readFile(path(QStringLiteral("whole.mp4"))).left(100));
    test::writeAudio(path(QStringLiteral("sound.wav")));
    ASSERT_TRUE(VideoAsset(path(QStringLiteral("sound.wav"))).isOpen());  // readable, no video
    for (const char* name : {"junk.mp4", "empty.mp4", "cut.mp4", "missing.mp4", "sound.wav"}) {
        EXPECT_TRUE(VideoFrame::grab(path(QString::fromLatin1(name)), 1.0, 360, goOn).isNull())
            << name;
    }
    const std::atomic<bool> stop{true};
    EXPECT_TRUE(VideoFrame::grab(path(QStringLiteral("whole.mp4")), 0, 360, stop).isNull());
}

TEST_F(ThumbnailDecoderTest, TheCacheDecodesRealPhotosAndVideos) {
    writeFile(path(QStringLiteral("turned.jpg")),
              encodeImage(redBlueHalves(QSize(80, 40)), "jpeg"));
    test::setOrientation(path(QStringLiteral("turned.jpg")), 8);
    test::writeVideo(path(QStringLiteral("clip.mp4")), {.frames = 4, .width = 96, .height = 48});
    MediaItem photo;
    photo.fileIdentity = QStringLiteral("1");
    MediaItem video;
    video.fileIdentity = QStringLiteral("2");
    video.kind = MediaKind::video;
    video.duration = 0.4;

    ThumbnailCache cache;
    QObject context;
    QImage photoThumbnail;
    QImage videoThumbnail;
    cache.image(path(QStringLiteral("turned.jpg")), photo, 40, &context,
                [&](const QImage& image) { photoThumbnail = image; });
    cache.image(path(QStringLiteral("clip.mp4")), video, 48, &context,
                [&](const QImage& image) { videoThumbnail = image; });
    ASSERT_TRUE(test::processEventsUntil(
        [&] { return !photoThumbnail.isNull() && !videoThumbnail.isNull(); }));

    EXPECT_EQ(photoThumbnail.size(), QSize(20, 40));
    EXPECT_TRUE(bluish(photoThumbnail.pixel(10, 5)));  // orientation 8: the right half on top
    EXPECT_EQ(videoThumbnail.size(), QSize(48, 24));
}

// The cache's one decoder serves the formats beyond Qt's readers too: a phone's HEIC and a
// camera's DNG come back upright, and a damaged one completes with no image.
TEST_F(ThumbnailDecoderTest, TheCacheDecodesHeicAndCameraRawFiles) {
    writeFile(path(QStringLiteral("camera.dng")),
              test::dng({.preview = redBlueHalves(QSize(160, 120)), .orientation = 6}));
    writeFile(path(QStringLiteral("broken.nef")), QByteArrayLiteral("II*\0garbage"));
    QStringList names = {QStringLiteral("camera.dng"), QStringLiteral("broken.nef")};
    if (test::canEncodeHeif(false)) {
        writeFile(path(QStringLiteral("phone.heic")),
                  test::heif({.image = redBlueHalves(QSize(160, 120)), .orientation = 6}));
        names.append(QStringLiteral("phone.heic"));
    }
    ThumbnailCache cache;
    QObject context;
    std::map<QString, QImage> thumbnails;
    for (int index = 0; index < names.size(); ++index) {
        MediaItem item;
        item.fileIdentity = QString::number(index);
        cache.image(path(names[index]), item, 60, &context,
                    [&, name = names[index]](const QImage& image) { thumbnails[name] = image; });
    }
    ASSERT_TRUE(test::processEventsUntil(
        [&] { return thumbnails.size() == static_cast<std::size_t>(names.size()); }));
    EXPECT_TRUE(thumbnails[QStringLiteral("broken.nef")].isNull());
    for (const QString& name : names.mid(0, 1) + names.mid(2)) {
        const QImage& image = thumbnails[name];
        ASSERT_EQ(image.size(), QSize(45, 60)) << name.toStdString();
        EXPECT_TRUE(reddish(image.pixel(22, 6))) << name.toStdString();
        EXPECT_TRUE(bluish(image.pixel(22, 54))) << name.toStdString();
    }
}

}  // namespace
}  // namespace lumivex

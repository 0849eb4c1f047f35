#include "media/heif_thumbnail.h"

#include "media/av1_picture_size.h"
#include "media/heif_layout.h"

#include "media/thumbnail_decoder.h"
#include "red_blue_halves.h"
#include "support/child_process.h"
#include "support/child_step.h"
#include "support/heif_fixtures.h"
#include "support/test_files.h"

#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <sys/resource.h>

namespace lumivex {
namespace {

using test::bluish;
using test::redBlueHalves;
using test::reddish;
using test::writeFile;

const std::atomic<bool> goOn{false};

// Red on top, as a quarter turn clockwise of `redBlueHalves` shows it.
void expectRedOnTop(const QImage& image) {
    ASSERT_FALSE(image.isNull());
    EXPECT_TRUE(reddish(image.pixel(image.width() / 2, image.height() / 8)));
    EXPECT_TRUE(bluish(image.pixel(image.width() / 2, image.height() * 7 / 8)));
}

class HeifThumbnailTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::canEncodeHeif(false)) {
            GTEST_SKIP() << "this libheif has no HEVC encoder to make the test files with";
        }
    }

    QString write(const QString& name, const test::HeifPicture& picture) {
        const QString path = folder_.filePath(name);
        writeFile(path, test::heif(picture));
        return path;
    }

    QTemporaryDir folder_;
};

TEST_F(HeifThumbnailTest, UsesTheEmbeddedThumbnailOnlyWhenItIsLargeEnough) {
    // Orientation 6 is stored as a rotation; both the picture and its thumbnail show turned.
    const QString phone =
        write(QStringLiteral("IMG_0001.HEIC"),
              {.image = redBlueHalves(QSize(400, 200)), .orientation = 6, .thumbnailSize = 160});

    const PhotoDecoding small = ThumbnailDecoder::decodePhoto(phone, 144, goOn);
    EXPECT_EQ(small.route, DecodeRoute::embeddedPreview);
    EXPECT_EQ(small.image.size(), QSize(72, 144));
    expectRedOnTop(small.image);

    const PhotoDecoding large = ThumbnailDecoder::decodePhoto(phone, 360, goOn);
    EXPECT_EQ(large.route, DecodeRoute::wholeImage);
    EXPECT_EQ(large.image.size(), QSize(180, 360));
    expectRedOnTop(large.image);

    // Covering a 100-pixel square takes a 100x200 picture: the 80x160 thumbnail falls short.
    const PhotoDecoding filled =
        ThumbnailDecoder::decodePhoto(phone, 100, goOn, ThumbnailScaling::fill);
    EXPECT_EQ(filled.route, DecodeRoute::wholeImage);
    EXPECT_EQ(filled.image.size(), QSize(100, 200));
}

TEST_F(HeifThumbnailTest, DecodesHeicAndAvifWhateverTheirNames) {
    const QString plain =
        write(QStringLiteral("plain.heic"), {.image = redBlueHalves(QSize(300, 100))});
    // Phones and messengers save HEIC under ".jpg" names too.
    const QString misnamed = write(QStringLiteral("misnamed.jpg"),
                                   {.image = redBlueHalves(QSize(300, 100)), .orientation = 6});
    for (const QString& path : {plain, misnamed}) {
        const PhotoDecoding decoded = ThumbnailDecoder::decodePhoto(path, 360, goOn);
        EXPECT_EQ(decoded.route, DecodeRoute::wholeImage);
        EXPECT_EQ(decoded.image.size(), path == plain ? QSize(300, 100) : QSize(100, 300));
    }
    EXPECT_EQ(ThumbnailDecoder::photo(plain, 150, goOn).size(), QSize(150, 50));
    if (test::canEncodeHeif(true)) {
        const QString avif = write(QStringLiteral("still.avif"),
                                   {.image = redBlueHalves(QSize(300, 100)), .av1 = true});
        const QImage image = ThumbnailDecoder::photo(avif, 150, goOn);
        ASSERT_EQ(image.size(), QSize(150, 50));
        EXPECT_TRUE(reddish(image.pixel(20, 25)));
        EXPECT_TRUE(bluish(image.pixel(130, 25)));
    }
}

TEST_F(HeifThumbnailTest, RefusesDamagedFilesAndImagesBeyondTheLimit) {
    const QByteArray whole = test::heif(
        {.image = redBlueHalves(QSize(640, 480)), .orientation = 6, .thumbnailSize = 128});
    QByteArray garbled = whole;
    for (qsizetype i = whole.size() / 3; i < whole.size(); i += 7) {
        garbled[i] = static_cast<char>(garbled[i] ^ 0x5a);
    }
    const QList<QByteArray> damaged = {whole.left(40), whole.left(whole.size() / 2),
                                       whole.left(whole.size() - 20), garbled};
    for (qsizetype i = 0; i < damaged.size(); ++i) {
        const QString path = folder_.filePath(QStringLiteral("damaged%1.heic").arg(i));
        writeFile(path, damaged[i]);
        for (const int size : {96, 1000}) {
            const QImage image = ThumbnailDecoder::photo(path, size, goOn);
            // A garbled picture may still decode as noise, but never beyond the size asked for.
            EXPECT_LE(std::max(image.width(), image.height()), size) << i;
        }
        if (i < 3) {
            EXPECT_TRUE(ThumbnailDecoder::photo(path, 1000, goOn).isNull()) << i;
        }
    }

    const QString path = folder_.filePath(QStringLiteral("whole.heic"));
    writeFile(path, whole);
    const int previousLimit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(1);  // 1 MiB: the 640x480 picture's 1.2 MB is refused
    const PhotoDecoding refused = ThumbnailDecoder::decodePhoto(path, 600, goOn);
    const PhotoDecoding thumbnail = ThumbnailDecoder::decodePhoto(path, 96, goOn);
    QImageReader::setAllocationLimit(previousLimit);
    EXPECT_TRUE(refused.image.isNull());
    EXPECT_EQ(thumbnail.route, DecodeRoute::embeddedPreview);
    EXPECT_EQ(thumbnail.image.size(), QSize(72, 96));

    const std::atomic<bool> stop{true};
    EXPECT_TRUE(ThumbnailDecoder::photo(path, 96, stop).isNull());
    EXPECT_TRUE(HeifThumbnail::decodeBytes(whole, 96, goOn, ThumbnailScaling::fit).image.size() ==
                QSize(72, 96));
}

// Makes a photo's thumbnail and its preview in a fresh process; reports how far the process's
// peak memory rose (KiB) and how many of the two pictures were made.
const test::ChildStep photoDecodeMemory("photo-decode-memory", [](const QStringList& arguments) {
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    int made = 0;
    for (const int size : {360, 2048}) {
        const ThumbnailSource source{
            .path = arguments[0], .kind = MediaKind::photo, .duration = {}, .size = size};
        made += ThumbnailDecoder::decode(source, goOn).isNull() ? 0 : 1;
    }
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    return QByteArray::number(static_cast<qint64>(after.ru_maxrss - before.ru_maxrss)) + ' ' +
           QByteArray::number(made);
});

// 1,321 bytes whose primary image is a grid declared 32 by 23,856 pixels while the grid's own
// output is 18,757 by 20,036: decoded, it takes gigabytes. Like any photo that cannot be read,
// it gets the placeholder, and nothing near the allocation limit is taken for it.
TEST(HeifAllocationLimit, AGridAskingForGigabytesGetsThePlaceholder) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("IMG_0001.HEIC"));
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(LUMIVEX_FUZZ_CORPUS "/heif_reader/grid-huge.heic"), path));
    const test::ChildEnd end = test::runChildStep(photoDecodeMemory, {path});
    ASSERT_TRUE(end.finished);
    const QList<QByteArray> report = end.report.split(' ');
    ASSERT_EQ(report.size(), 2);
    EXPECT_LT(report[0].toLongLong(), qint64(QImageReader::allocationLimit()) * 1024)
        << "KiB more at the peak";
    EXPECT_EQ(report[1], "0") << "pictures made";
}

// Bits written most significant first, as AV1 headers are.
QByteArray bitsOf(std::initializer_list<std::pair<quint32, int>> fields) {
    QByteArray bytes;
    int used = 0;
    for (const auto& [value, count] : fields) {
        for (int i = count - 1; i >= 0; --i, ++used) {
            if (used % 8 == 0) {
                bytes += '\0';
            }
            bytes.back() = static_cast<char>(bytes.back() | (((value >> i) & 1) << (7 - used % 8)));
        }
    }
    return bytes;
}

// The AV1 decoder allocates frames for the largest size the sequence header allows, whatever
// size the file states: such a file is refused before anything is decoded.
TEST(HeifAllocationLimit, AnAv1SequenceHeaderAllowingHugeFramesIsRefused) {
    if (!test::canEncodeHeif(true)) {
        GTEST_SKIP() << "this libheif has no AV1 encoder to make the test file with";
    }
    // Timing information with a decoder model, and two operating points.
    const QByteArray full =
        bitsOf({{0, 5}, {1, 1},     {1000, 32}, {30000, 32}, {1, 1},     {0b011, 3},  {1, 1},
                {9, 5}, {1000, 32}, {0, 10},    {1, 1},      {1, 5},     {0x101, 12}, {9, 5},
                {1, 1}, {1, 1},     {0, 21},    {1, 1},      {3, 4},     {0x102, 12}, {2, 5},
                {0, 1}, {0, 1},     {11, 4},    {10, 4},     {3999, 12}, {1999, 11}});
    EXPECT_EQ(Av1PictureSize::ofSequenceHeader(full), QSize(4000, 2000));
    EXPECT_EQ(Av1PictureSize::ofSequenceHeader(full.left(full.size() - 2)), std::nullopt);

    QByteArray avif = test::heif({.image = redBlueHalves(QSize(64, 64)), .av1 = true});
    // The encoder starts the item's data with a temporal delimiter and then the sequence header.
    const qsizetype data = avif.indexOf("mdat") + 4;
    ASSERT_EQ(avif.mid(data, 3), QByteArray("\x12\x00\x0a", 3));
    const qsizetype stated = avif.at(data + 3);
    // The reduced still picture form, 65,536 pixels square.
    const QByteArray huge =
        bitsOf({{0, 3}, {1, 1}, {1, 1}, {31, 5}, {15, 4}, {15, 4}, {65535, 16}, {65535, 16}});
    EXPECT_EQ(Av1PictureSize::ofSequenceHeader(huge), QSize(65536, 65536));
    ASSERT_LE(huge.size(), stated);
    avif.replace(data + 4, stated, huge.leftJustified(stated, '\0'));

    const std::optional<HeifLayout> layout =
        HeifLayout::read([&](qint64 offset, qint64 length) { return avif.mid(offset, length); });
    ASSERT_TRUE(layout);
    const qsizetype primary = avif.indexOf("pitm") + 8;
    ASSERT_FALSE(layout->decodeFits(qFromBigEndian<quint16>(avif.constData() + primary)));
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("huge.avif"));
    writeFile(path, avif);
    EXPECT_TRUE(ThumbnailDecoder::decodePhoto(path, 360, goOn).image.isNull());
}

}  // namespace
}  // namespace lumivex

#include "model/capture_date_reader.h"
#include "model/capture_date_formats.h"
#include "model/video_asset.h"
#include "support/child_process.h"
#include "support/child_step.h"
#include "support/dng_fixtures.h"
#include "support/heif_fixtures.h"
#include "support/media_fixtures.h"
#include "support/test_files.h"
#include "support/video_encoding.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>
#include <exiv2/exiv2.hpp>

#include <sys/resource.h>
#include <sys/stat.h>
#include <cstdlib>
#include <ctime>

using namespace lumivex;
using namespace lumivex::test;

namespace {

// 2024-05-01 12:00:00 UTC.
constexpr double noonUTC = 1714564800.0;

std::optional<double> seconds(const std::optional<Date>& date) {
    return date ? std::optional(date->secondsSince1970) : std::nullopt;
}

std::optional<QString> text(const char* value) {
    return QString::fromUtf8(value);
}

// Local wall-clock readings depend on the zone; these tests pin it to UTC+9 without summer time.
class CaptureDates : public ::testing::Test {
protected:
    void SetUp() override {
        const char* zone = std::getenv("TZ");
        savedZone_ = zone != nullptr ? std::optional<std::string>(zone) : std::nullopt;
        setenv("TZ", "Asia/Seoul", 1);
        tzset();
        ASSERT_TRUE(folder_.isValid());
    }
    void TearDown() override {
        if (savedZone_) {
            setenv("TZ", savedZone_->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    QString path(const char* name) const { return folder_.filePath(QString::fromUtf8(name)); }

    static constexpr double seoulNoon = noonUTC - 9 * 3600;

private:
    QTemporaryDir folder_;
    std::optional<std::string> savedZone_;
};

}  // namespace

TEST_F(CaptureDates, ExifOffsetsAndFractions) {
    const auto date = text("2024:05:01 12:00:00");
    EXPECT_EQ(seconds(CaptureDateReader::exifDate(date, text("+09:00"), std::nullopt)),
              noonUTC - 9 * 3600);
    EXPECT_EQ(seconds(CaptureDateReader::exifDate(date, text("+00:00"), std::nullopt)), noonUTC);
    EXPECT_EQ(seconds(CaptureDateReader::exifDate(date, text("-05:30"), text("25"))),
              noonUTC + 5.5 * 3600 + 0.25);
    EXPECT_EQ(seconds(CaptureDateReader::exifDate(date, std::nullopt, text("5"))), seoulNoon + 0.5);
    EXPECT_EQ(seconds(CaptureDateReader::exifDate(date, std::nullopt, text("123"))),
              seoulNoon + 0.123);
    for (const char* ignored : {"12a", "-5", "", "000", " 5", "٥"}) {
        EXPECT_EQ(seconds(CaptureDateReader::exifDate(date, text("+00:00"), text(ignored))),
                  noonUTC)
            << ignored;
    }
}

TEST_F(CaptureDates, UnusableOffsetsMeanLocalWallClock) {
    const auto date = text("2024:05:01 12:00:00");
    EXPECT_EQ(seconds(CaptureDateReader::exifDate(date, std::nullopt, std::nullopt)), seoulNoon);
    for (const char* offset : {"+9:00", "+0900", "+24:00", "+05:60", "09:00", "+09:00 ", "Z"}) {
        EXPECT_EQ(seconds(CaptureDateReader::exifDate(date, text(offset), std::nullopt)), seoulNoon)
            << offset;
    }
}

TEST_F(CaptureDates, ExifDatesAreStrict) {
    for (const char* bad :
         {"0000:00:00 00:00:00", "2024:05:01", "2024-05-01 12:00:00", "2024:5:01 12:00:00",
          "2024:02:30 12:00:00", "2023:02:29 12:00:00", "2024:05:01 24:00:00",
          "2024:05:01 12:00:60", "2024:05:01 12:00:00Z", "    :  :     :  :  "}) {
        EXPECT_FALSE(CaptureDateReader::exifDate(text(bad), text("+09:00"), std::nullopt)) << bad;
    }
    EXPECT_FALSE(CaptureDateReader::exifDate(std::nullopt, text("+09:00"), text("5")));
    EXPECT_EQ(seconds(CaptureDateFormats::exifUTC(u"2024:02:29 00:00:00")), 1709164800.0);
    EXPECT_EQ(seconds(CaptureDateFormats::exifUTC(u"1969:12:31 23:59:59")), -1.0);
}

TEST_F(CaptureDates, InternetDateTimes) {
    EXPECT_EQ(seconds(CaptureDateFormats::iso(u"2024-05-01T12:00:00Z")), noonUTC);
    EXPECT_EQ(seconds(CaptureDateFormats::iso(u"2024-05-01T21:00:00+09:00")), noonUTC);
    EXPECT_EQ(seconds(CaptureDateFormats::isoFractional(u"2024-05-01T12:00:00.25Z")),
              noonUTC + 0.25);
    EXPECT_EQ(seconds(CaptureDateFormats::isoFractional(u"2024-05-01T06:30:00.000000-05:30")),
              noonUTC);
    EXPECT_FALSE(CaptureDateFormats::iso(u"2024-05-01T12:00:00.25Z"));
    EXPECT_FALSE(CaptureDateFormats::isoFractional(u"2024-05-01T12:00:00Z"));
    for (const char16_t* bad : {u"2024-05-01T12:00:00", u"2024-05-01 12:00:00Z",
                                u"2024-05-01T12:00:00+0900", u"2024-05-01t12:00:00z",
                                u"Wed, 01 May 2024 12:00:00 GMT", u"2024-05-01T12:00:00+24:00"}) {
        EXPECT_FALSE(CaptureDateFormats::iso(bad));
        EXPECT_FALSE(CaptureDateFormats::isoFractional(bad));
    }
    EXPECT_EQ(seconds(CaptureDateFormats::quickTimeDate(u"2024-05-01T21:00:00+0900")), noonUTC);
}

TEST_F(CaptureDates, JpegOriginalDateWithOffsetAndSubSeconds) {
    writeJpeg(path("a.jpg"), {.original = "2024:05:01 12:00:00",
                              .originalOffset = "-05:30",
                              .originalSubSecond = "25",
                              .digitized = "2020:01:01 00:00:00"});
    EXPECT_EQ(seconds(CaptureDateReader::imageDate(path("a.jpg"))), noonUTC + 5.5 * 3600 + 0.25);
    writeJpeg(path("b.jpg"), {.original = "2024:05:01 12:00:00"});
    EXPECT_EQ(seconds(CaptureDateReader::imageDate(path("b.jpg"))), seoulNoon);
    writeJpeg(path("c.jpg"), {.original = "2024:05:01 12:00:00", .originalOffset = "+0900"});
    EXPECT_EQ(seconds(CaptureDateReader::imageDate(path("c.jpg"))), seoulNoon);
}

TEST_F(CaptureDates, UnsetOriginalFallsBackToDigitizedWithoutFraction) {
    writeJpeg(path("a.jpg"), {.original = "0000:00:00 00:00:00",
                              .originalSubSecond = "5",
                              .digitized = "2024:05:01 12:00:00",
                              .digitizedOffset = "+00:00",
                              .digitizedSubSecond = "75"});
    EXPECT_EQ(seconds(CaptureDateReader::imageDate(path("a.jpg"))), noonUTC);
    writeJpeg(path("none.jpg"),
              {.original = "0000:00:00 00:00:00", .digitized = "0000:00:00 00:00:00"});
    EXPECT_FALSE(CaptureDateReader::imageDate(path("none.jpg")));
    writeFile(path("plain.jpg"), plainJpeg());
    EXPECT_FALSE(CaptureDateReader::imageDate(path("plain.jpg")));
}

TEST_F(CaptureDates, PngCreationTime) {
    const QList<std::pair<PngTextChunk, std::optional<double>>> cases = {
        {{"tEXt", "Creation Time", "2024-05-01T12:00:00Z"}, noonUTC},
        {{"tEXt", "Creation Time", "2024-05-01T12:00:00.5+00:00"}, noonUTC + 0.5},
        {{"zTXt", "Creation Time", "2024-05-01T21:00:00+09:00"}, noonUTC},
        {{"iTXt", "Creation Time", "2024-05-01T12:00:00Z"}, noonUTC},
        {{"iTXt", "Creation Time", "2024-05-01T12:00:00Z", true}, noonUTC},
        {{"tEXt", "Creation Time", "Wed, 01 May 2024 12:00:00 GMT"}, std::nullopt},
        {{"tEXt", "Creation time", "2024-05-01T12:00:00Z"}, std::nullopt},
        {{"tEXt", "Comment", "2024-05-01T12:00:00Z"}, std::nullopt},
    };
    for (const auto& [chunk, expected] : cases) {
        writeFile(path("a.png"), png({chunk}));
        EXPECT_EQ(seconds(CaptureDateReader::imageDate(path("a.png"))), expected)
            << chunk.type.constData() << " " << chunk.text.constData();
    }
    // Two chunks: the first one that holds a creation time counts.
    writeFile(path("b.png"), png({{"tEXt", "Comment", "x"},
                                  {"tEXt", "Creation Time", "2024-05-01T12:00:00Z"},
                                  {"tEXt", "Creation Time", "2020-01-01T00:00:00Z"}}));
    EXPECT_EQ(seconds(CaptureDateReader::imageDate(path("b.png"))), noonUTC);
}

TEST_F(CaptureDates, ExifWinsOverPngAndUnsetExifFallsBackToPng) {
    writeFile(path("a.png"), png({{"tEXt", "Creation Time", "2020-01-01T00:00:00Z"}}));
    addExif(path("a.png"), {.original = "2024:05:01 12:00:00", .originalOffset = "+00:00"});
    EXPECT_EQ(seconds(CaptureDateReader::imageDate(path("a.png"))), noonUTC);
    writeFile(path("b.png"), png({{"tEXt", "Creation Time", "2024-05-01T12:00:00Z"}}));
    addExif(path("b.png"), {.original = "0000:00:00 00:00:00", .digitized = "0000:00:00"});
    EXPECT_EQ(seconds(CaptureDateReader::imageDate(path("b.png"))), noonUTC);
}

TEST_F(CaptureDates, UnreadableImagesGiveNothing) {
    writeFile(path("junk.jpg"), QByteArrayLiteral("\xff\xd8\xff\xe1\xff\xff garbage"));
    writeFile(path("empty.png"), QByteArray());
    writeFile(path("cut.png"), png({{"tEXt", "Creation Time", "2024-05-01T12:00:00Z"}}).left(40));
    // A pipe and a folder named like photos give nothing at once; the pipe has no writer.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.jpg")).constData(), 0600), 0);
    makeDirectories(path("folder.jpg"));
    for (const char* name :
         {"junk.jpg", "empty.png", "cut.png", "missing.jpg", "pipe.jpg", "folder.jpg"}) {
        EXPECT_FALSE(CaptureDateReader::imageDate(path(name))) << name;
    }
}

TEST_F(CaptureDates, VideoDurationAndCreationTime) {
    writeVideo(path("clip.mp4"),
               {.frames = 5, .framesPerSecond = 10, .creationTime = "2024-05-01T12:00:00.000000Z"});
    VideoAsset clip(path("clip.mp4"));
    ASSERT_TRUE(clip.isOpen());
    const std::optional<double> duration = clip.duration();
    ASSERT_TRUE(duration);
    EXPECT_NEAR(*duration, 0.5, 0.01);
    EXPECT_EQ(seconds(CaptureDateReader::videoDate(clip)), noonUTC);

    writeVideo(path("bare.mp4"), {});
    EXPECT_FALSE(CaptureDateReader::videoDate(VideoAsset(path("bare.mp4"))));

    writeFile(path("junk.mp4"), "not a video");
    VideoAsset junk(path("junk.mp4"));
    EXPECT_FALSE(junk.duration());
    EXPECT_FALSE(CaptureDateReader::videoDate(junk));
}

// Reads a video's length and date in a fresh process and reports how far its peak memory rose, in
// KiB.
const ChildStep videoFactsMemory("video-facts-memory", [](const QStringList& arguments) {
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    VideoAsset asset(arguments[0]);
    (void)asset.duration();
    (void)CaptureDateReader::videoDate(asset);
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    return QByteArray::number(static_cast<qint64>(after.ru_maxrss - before.ru_maxrss));
});

// 800 bytes whose metadata "keys" box declares 250 million keys: the demuxer would zero 2 GB for
// them before finding the file too short. The file must fail to open instead.
TEST_F(CaptureDates, AVideoDeclaringGigabytesOfMetadataKeysIsNotAllocated) {
    writeVideo(path("phone.mov"), {.frames = 2,
                                   .width = 16,
                                   .height = 16,
                                   .quickTimeCreationDate = "2024-05-01T21:00:00+0900"});
    QByteArray bytes = readFile(path("phone.mov"));
    const qsizetype keys = bytes.indexOf("keys");
    ASSERT_GT(keys, 0);
    qToBigEndian<quint32>(0x0F000002, bytes.data() + keys + 8);
    writeFile(path("bomb.mov"), bytes);

    const ChildEnd end = runChildStep(videoFactsMemory, {path("bomb.mov")});
    ASSERT_TRUE(end.finished);
    EXPECT_LT(end.report.toLongLong(), 256 * 1024) << "KiB more at the peak";
    EXPECT_FALSE(VideoAsset(path("bomb.mov")).isOpen());
}

TEST_F(CaptureDates, QuickTimeDateComesFirst) {
    writeVideo(path("phone.mov"), {.creationTime = "2020-01-01T00:00:00.000000Z",
                                   .quickTimeCreationDate = "2024-05-01T21:00:00+0900"});
    EXPECT_EQ(seconds(CaptureDateReader::videoDate(VideoAsset(path("phone.mov")))), noonUTC);
    writeVideo(path("bad.mov"), {.creationTime = "2024-05-01T12:00:00.000000Z",
                                 .quickTimeCreationDate = "yesterday"});
    EXPECT_EQ(seconds(CaptureDateReader::videoDate(VideoAsset(path("bad.mov")))), noonUTC);
}

namespace {

// A JPEG marker segment of `length` bytes in all (marker and length field included) that no
// reader looks into.
QByteArray fillerSegment(int length) {
    QByteArray segment = QByteArrayLiteral("\xff\xeb");
    const int field = length - 2;
    segment += static_cast<char>(field >> 8);
    segment += static_cast<char>(field & 0xff);
    segment += QByteArray(length - 4, 'f');
    return segment;
}

// `jpeg` with filler segments of these lengths right after its start-of-image marker.
QByteArray withFillerFirst(const QByteArray& jpeg, const QList<int>& lengths) {
    QByteArray filler;
    for (const int length : lengths) {
        filler += fillerSegment(length);
    }
    return jpeg.left(2) + filler + jpeg.mid(2);
}

QByteArray pngChunk(const QByteArray& type, const QByteArray& data) {
    QByteArray bytes(4, '\0');
    qToBigEndian<quint32>(static_cast<quint32>(data.size()), bytes.data());
    bytes += type + data;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(crc32(type + data), crc.data());
    return bytes + crc;
}

}  // namespace

// The first 64 KiB of a file are read at once and the readers take what they need beyond them
// from the same file: metadata that begins, ends or straddles past that point is found as well.
TEST_F(CaptureDates, MetadataBeyondTheFirstBytesIsFound) {
    writeJpeg(path("template.jpg"),
              {.original = "2024:05:01 12:00:00", .originalOffset = "+00:00"});
    const QByteArray jpeg = readFile(path("template.jpg"));
    const QList<QList<int>> fillers = {
        {60000, 60000},  // the EXIF segment starts past 64 KiB
        {65500},         // it straddles 64 KiB
        {65532},         // its marker sits on the boundary
        {30000, 35000},  // the image data begins past 64 KiB
    };
    for (const QList<int>& lengths : fillers) {
        writeFile(path("far.jpg"), withFillerFirst(jpeg, lengths));
        EXPECT_EQ(seconds(CaptureDateReader::imageDate(path("far.jpg"))), noonUTC)
            << lengths.first();
    }
    // No EXIF at all in a large file; a large file cut before or inside its EXIF gives nothing,
    // and one cut right after it still gives the date.
    writeFile(path("plain.jpg"), withFillerFirst(plainJpeg(), {60000, 60000}));
    EXPECT_FALSE(CaptureDateReader::imageDate(path("plain.jpg")));
    const QByteArray far = withFillerFirst(jpeg, {60000, 60000});
    for (const qsizetype cut : {qsizetype(65536), qsizetype(120100)}) {
        writeFile(path("cut.jpg"), far.left(cut));
        EXPECT_FALSE(CaptureDateReader::imageDate(path("cut.jpg"))) << cut;
    }
    const qsizetype exifEnd = far.indexOf("\xff\xdb", 120000);
    ASSERT_GT(exifEnd, 0);
    writeFile(path("cut.jpg"), far.left(exifEnd));
    EXPECT_EQ(seconds(CaptureDateReader::imageDate(path("cut.jpg"))), noonUTC);

    // A PNG whose creation time follows 100 KB of image data, and one cut inside that data.
    QByteArray bytes = png({}).left(8 + 25);  // signature and IHDR
    bytes += pngChunk("IDAT", QByteArray(100000, 'x'));
    bytes += pngChunk("tEXt", QByteArrayLiteral("Creation Time\0002024-05-01T12:00:00Z"));
    bytes += pngChunk("IEND", {});
    writeFile(path("late.png"), bytes);
    EXPECT_EQ(seconds(CaptureDateReader::imageDate(path("late.png"))), noonUTC);
    writeFile(path("late-cut.png"), bytes.left(90000));
    EXPECT_FALSE(CaptureDateReader::imageDate(path("late-cut.png")));
}

// TIFF-based files are read by Exiv2 through a mapping of the whole file.
TEST_F(CaptureDates, TiffExifIsReadThroughAMapping) {
    // Little-endian, one directory holding only the image width.
    writeFile(path("a.tif"), QByteArray::fromHex("49492a0008000000"
                                                 "0100"
                                                 "000103000100000001000000"
                                                 "00000000"));
    addExif(path("a.tif"), {.original = "2024:05:01 12:00:00", .originalOffset = "+00:00"});
    EXPECT_EQ(seconds(CaptureDateReader::imageDate(path("a.tif"))), noonUTC);
}

// ISO media files go straight to their demuxer; anything else, whatever its name, is still
// recognised by its content, and a file that only looks like ISO media is not forced on it.
TEST_F(CaptureDates, VideosAreRecognisedByContentWhateverTheirName) {
    writeVideo(path("clip.mp4"), {.frames = 5, .creationTime = "2024-05-01T12:00:00.000000Z"});
    writeFile(path("mp4-named.mkv"), readFile(path("clip.mp4")));
    writeEncodedClip(path("clip.mkv"), {.frames = 10, .container = "matroska"});
    writeFile(path("matroska-named.mov"), readFile(path("clip.mkv")));
    const QList<std::pair<const char*, double>> durations = {
        {"clip.mp4", 0.5}, {"mp4-named.mkv", 0.5}, {"clip.mkv", 0.9}, {"matroska-named.mov", 0.9}};
    for (const auto& [name, expected] : durations) {
        const std::optional<double> duration = VideoAsset(path(name)).duration();
        ASSERT_TRUE(duration) << name;
        EXPECT_NEAR(*duration, expected, 0.01) << name;
    }
    EXPECT_EQ(seconds(CaptureDateReader::videoDate(VideoAsset(path("mp4-named.mkv")))), noonUTC);
    // A JPEG 2000 header, and a box too short to be one.
    writeFile(path("jp2.mov"),
              QByteArray::fromHex("0000000c6a5020200d0a870a00000014667479706a703220"));
    writeFile(path("short.mov"),
              QByteArray::fromHex("00000004667479706d703432") + QByteArray(64, 0));
    for (const char* name : {"jp2.mov", "short.mov"}) {
        EXPECT_FALSE(VideoAsset(path(name)).duration()) << name;
    }
}

// The dates are read from the EXIF sub-directory only: the same tag number in the image's own
// directory is another field.
TEST_F(CaptureDates, OnlyTheExifSubdirectoryCounts) {
    writeFile(path("a.jpg"), plainJpeg());
    const Exiv2::Image::AutoPtr image =
        Exiv2::ImageFactory::open(QFile::encodeName(path("a.jpg")).toStdString());
    image->readMetadata();
    image->exifData()["Exif.Image.DateTimeOriginal"] = "2024:05:01 12:00:00";
    image->writeMetadata();
    EXPECT_FALSE(CaptureDateReader::imageDate(path("a.jpg")));
    addExif(path("a.jpg"), {.original = "2020:01:01 00:00:00", .originalOffset = "+00:00"});
    EXPECT_EQ(seconds(CaptureDateReader::imageDate(path("a.jpg"))), 1577836800.0);
}

// Phone photos: the EXIF block of a HEIC lies in an item of the ISO media container, which Exiv2
// reads once told to; a damaged container gives no date and no crash.
TEST_F(CaptureDates, HeicExifItem) {
    if (!canEncodeHeif(false)) {
        GTEST_SKIP() << "this libheif has no HEVC encoder to make the test file with";
    }
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    const QByteArray phone =
        heif({.image = picture, .exif = exifBlock("2024:05:01 21:00:00", "+09:00")});
    writeFile(path("IMG_0001.HEIC"), phone);
    EXPECT_EQ(seconds(CaptureDateReader::imageDate(path("IMG_0001.HEIC"))), noonUTC);
    writeFile(path("no-exif.heic"), heif({.image = picture}));
    EXPECT_FALSE(CaptureDateReader::imageDate(path("no-exif.heic")));
    for (const qsizetype length : {qsizetype(16), phone.size() / 2, phone.size() - 8}) {
        writeFile(path("cut.heic"), phone.left(length));
        EXPECT_FALSE(CaptureDateReader::imageDate(path("cut.heic"))) << length;
    }
}

// Camera raw files are TIFF inside: the date sits in the EXIF directory of IFD0, whatever the
// extension says.
TEST_F(CaptureDates, RawFileExif) {
    const QByteArray camera = dng({.preview = QImage(32, 24, QImage::Format_RGB32),
                                   .original = "2024:05:01 21:00:00",
                                   .originalOffset = "+09:00"});
    for (const char* name : {"IMG_0001.DNG", "DSC_0001.NEF", "_MG_0001.CR2"}) {
        writeFile(path(name), camera);
        EXPECT_EQ(seconds(CaptureDateReader::imageDate(path(name))), noonUTC) << name;
    }
    writeFile(path("undated.dng"), dng({}));
    EXPECT_FALSE(CaptureDateReader::imageDate(path("undated.dng")));
    // Cut before its directories: no date, no crash.
    writeFile(path("cut.dng"), camera.left(camera.size() / 2));
    EXPECT_FALSE(CaptureDateReader::imageDate(path("cut.dng")));
}

namespace {

QByteArray box(const char* type, const QByteArray& content) {
    QByteArray bytes(4, '\0');
    qToBigEndian<quint32>(static_cast<quint32>(content.size() + 8), bytes.data());
    return bytes + QByteArray(type, 4) + content;
}

// A TIFF structure holding one directory of EXIF fields, as a CR3's "CMT2" box holds them.
QByteArray exifDirectory(const std::string& original, const std::string& offset) {
    Exiv2::ExifData exif;
    const Exiv2::AsciiValue date(original);
    const Exiv2::AsciiValue zone(offset);
    exif.add(Exiv2::ExifKey(0x9003, "Image"), &date);
    exif.add(Exiv2::ExifKey(0x9011, "Image"), &zone);
    Exiv2::Blob blob;
    Exiv2::ExifParser::encode(blob, Exiv2::littleEndian, exif);
    return QByteArray(reinterpret_cast<const char*>(blob.data()),
                      static_cast<qsizetype>(blob.size()));
}

}  // namespace

// Canon's CR3 is ISO media: its EXIF fields lie in TIFF structures inside the "moov" box.
TEST_F(CaptureDates, Cr3ExifBoxes) {
    const QByteArray canon = QByteArray::fromHex("85c0b687820f11e08111f4ce462b6a48");
    const QByteArray file =
        box("ftyp", QByteArrayLiteral("crx ") + QByteArray::fromHex("00000001") +
                        QByteArrayLiteral("crx isom")) +
        box("moov",
            box("uuid", canon + box("CMT2", exifDirectory("2024:05:01 21:00:00", "+09:00"))));
    writeFile(path("IMG_0001.CR3"), file);
    EXPECT_EQ(seconds(CaptureDateReader::imageDate(path("IMG_0001.CR3"))), noonUTC);
}

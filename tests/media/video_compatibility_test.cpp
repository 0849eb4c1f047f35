#include "media/video_compatibility.h"

#include "media/h264_mp4_converter.h"
#include "platform/decimal_text.h"
#include "platform/error.h"
#include "support/test_files.h"
#include "support/video_encoding.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

extern "C" {
#include <libavformat/avformat.h>
}

namespace lumivex {
namespace {

using test::EncodedClip;
using test::PictureCodec;
using test::writeEncodedClip;

// Runs the event loop until the future is done; the preparation needs it between its steps.
void settle(QFuture<QString> future) {
    QFutureWatcher<QString> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(future);
    if (!future.isFinished()) {
        loop.exec();
    }
}

// The error a finished future holds, or nothing.
std::optional<Error> errorOf(QFuture<QString> future) {
    try {
        future.waitForFinished();
    } catch (const Error& error) {
        return error;
    }
    return std::nullopt;
}

void setModified(const QString& path, double seconds) {
    const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

double modifiedOf(const QString& path) {
    struct stat info {};
    EXPECT_EQ(stat(QFile::encodeName(path).constData(), &info), 0);
    return static_cast<double>(info.st_mtim.tv_sec) + info.st_mtim.tv_nsec / 1e9;
}

// The order of the top-level boxes of an MPEG-4 file.
QList<QByteArray> topLevelBoxes(const QString& path) {
    const QByteArray bytes = test::readFile(path);
    QList<QByteArray> boxes;
    qsizetype offset = 0;
    while (offset + 8 <= bytes.size()) {
        const auto* at = reinterpret_cast<const unsigned char*>(bytes.constData() + offset);
        const qsizetype size = (qsizetype{at[0]} << 24) | (at[1] << 16) | (at[2] << 8) | at[3];
        boxes.append(bytes.mid(offset + 4, 4));
        if (size < 8) {
            break;
        }
        offset += size;
    }
    return boxes;
}

struct StreamSummary {
    QList<AVCodecID> codecs;
    double seconds = 0;
};

StreamSummary summarize(const QString& path) {
    AVFormatContext* context = nullptr;
    StreamSummary summary;
    if (avformat_open_input(&context, QFile::encodeName(path).constData(), nullptr, nullptr) < 0) {
        ADD_FAILURE() << "cannot open " << path.toStdString();
        return summary;
    }
    avformat_find_stream_info(context, nullptr);
    for (unsigned int i = 0; i < context->nb_streams; ++i) {
        summary.codecs.append(context->streams[i]->codecpar->codec_id);
    }
    summary.seconds = static_cast<double>(context->duration) / AV_TIME_BASE;
    avformat_close_input(&context);
    return summary;
}

// A conversion whose body the test writes; it counts its calls.
class ScriptedConverter final : public VideoConverter {
public:
    using Body = std::function<void(const QString&, const QString&, ConversionControl&)>;
    explicit ScriptedConverter(Body body, bool available = true)
        : body_(std::move(body)), available_(available) {}

    bool isAvailable() const override { return available_; }
    void convert(const QString& source, const QString& destination,
                 ConversionControl& control) const override {
        ++calls;
        body_(source, destination, control);
    }

    mutable std::atomic<int> calls = 0;

private:
    Body body_;
    bool available_;
};

std::shared_ptr<ScriptedConverter> realConversion() {
    return std::make_shared<ScriptedConverter>(
        [](const QString& source, const QString& destination, ConversionControl& control) {
            H264Mp4Converter().convert(source, destination, control);
        });
}

class VideoCompatibilityTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return folder.filePath(name); }
    QString cache() const { return folder.filePath(QStringLiteral("cache")); }
    QStringList cacheFiles() const {
        return QDir(cache()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    QString copyOf(const QString& source) const {
        return cache() + u'/' + VideoCompatibility::cacheKey(source) + QStringLiteral(".mp4");
    }
    QString av1Clip(const QString& name = QStringLiteral("clip.mkv")) const {
        const QString clip = path(name);
        writeEncodedClip(
            clip,
            {.picture = PictureCodec::av1, .frames = 10, .sound = true, .container = "matroska"});
        return clip;
    }
    QFuture<QString> prepare(const QString& source,
                             const std::shared_ptr<ScriptedConverter>& converter) {
        return VideoCompatibility::playbackURL(
            source, cache(),
            [this](double fraction) {
                EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
                reports.append(fraction);
                if (onProgress) {
                    onProgress(fraction);
                }
            },
            converter, [this] { return now; });
    }

    QTemporaryDir folder;
    QList<double> reports;
    std::function<void(double)> onProgress;
    Date now = Date::now();
};

TEST_F(VideoCompatibilityTest, OnlyAnAV1PictureNeedsACopy) {
    const QString av1 = av1Clip();
    const QString h264 = path(QStringLiteral("h264.mp4"));
    writeEncodedClip(h264, {.picture = PictureCodec::h264});
    const QString soundOnly = path(QStringLiteral("sound.m4a"));
    writeEncodedClip(soundOnly, {.picturePresent = false});
    const QString text = path(QStringLiteral("notes.mp4"));
    test::writeFile(text, "not a video");

    EXPECT_TRUE(VideoCompatibility::requiresCopy(av1));
    EXPECT_FALSE(VideoCompatibility::requiresCopy(h264));
    EXPECT_FALSE(VideoCompatibility::requiresCopy(soundOnly));
    EXPECT_THROW(VideoCompatibility::requiresCopy(text), Error);
    EXPECT_THROW(VideoCompatibility::requiresCopy(path(QStringLiteral("missing.mp4"))), Error);
}

TEST_F(VideoCompatibilityTest, TheKeyHashesTheResolvedPathSizeAndTimes) {
    const QString source = path(QStringLiteral("a.mp4"));
    test::writeFile(source, "12345");
    setModified(source, 1700000000);
    const QString link = path(QStringLiteral("link.mp4"));
    test::makeSymbolicLink(source, link);

    const QString key = VideoCompatibility::cacheKey(source);
    EXPECT_EQ(key.size(), 64);
    EXPECT_EQ(key, key.toLower());
    EXPECT_EQ(VideoCompatibility::cacheKey(link), key);
    EXPECT_EQ(VideoCompatibility::cacheKey(folder.path() + QStringLiteral("/./x/../a.mp4")), key);

    // The text behind the key, rebuilt from what the file system reports.
    struct statx info {};
    ASSERT_EQ(statx(AT_FDCWD, QFile::encodeName(source).constData(), 0, STATX_BTIME, &info), 0);
    const QString created =
        (info.stx_mask & STATX_BTIME) != 0
            ? DecimalText::shortest(static_cast<double>(info.stx_btime.tv_sec) +
                                    static_cast<double>(info.stx_btime.tv_nsec) / 1e9)
            : QStringLiteral("-1.0");
    const QString text = QStringLiteral("h264-v1\n") + QFileInfo(source).canonicalFilePath() +
                         QStringLiteral("\n5\n1700000000.0\n") + created;
    EXPECT_EQ(key,
              QString::fromLatin1(
                  QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex()));

    setModified(source, 1700000001);
    EXPECT_NE(VideoCompatibility::cacheKey(source), key);
    EXPECT_THROW(VideoCompatibility::cacheKey(path(QStringLiteral("missing.mp4"))), Error);
}

TEST_F(VideoCompatibilityTest, AVideoWithoutAV1IsPlayedAsItIs) {
    const QString h264 = path(QStringLiteral("h264.mp4"));
    writeEncodedClip(h264, {.picture = PictureCodec::h264});
    const QString soundOnly = path(QStringLiteral("sound.m4a"));
    writeEncodedClip(soundOnly, {.picturePresent = false});
    const auto converter = realConversion();
    for (const QString& video : {h264, soundOnly}) {
        const QFuture<QString> future = prepare(video, converter);
        settle(future);
        EXPECT_EQ(future.result(), video);
    }
    EXPECT_FALSE(QFileInfo::exists(cache()));
    EXPECT_TRUE(reports.isEmpty());
    EXPECT_EQ(converter->calls, 0);
}

TEST_F(VideoCompatibilityTest, AnAV1ClipGetsOneH264AndAACCopyWithItsIndexFirst) {
    const QString source = av1Clip();
    const auto converter = realConversion();
    const QFuture<QString> first = prepare(source, converter);
    settle(first);
    ASSERT_EQ(errorOf(first), std::nullopt);
    const QString copy = first.result();
    EXPECT_EQ(copy, copyOf(source));
    EXPECT_EQ(cacheFiles(), QStringList{QFileInfo(copy).fileName()});
    EXPECT_EQ(QFileInfo(cache()).permissions() & QFileDevice::ReadOther, 0);

    const StreamSummary summary = summarize(copy);
    EXPECT_EQ(summary.codecs, QList<AVCodecID>({AV_CODEC_ID_H264, AV_CODEC_ID_AAC}));
    EXPECT_NEAR(summary.seconds, 1.0, 0.1);
    const QList<QByteArray> boxes = topLevelBoxes(copy);
    ASSERT_TRUE(boxes.contains("moov") && boxes.contains("mdat"));
    EXPECT_LT(boxes.indexOf("moov"), boxes.indexOf("mdat"));

    ASSERT_GE(reports.size(), 2);
    EXPECT_EQ(reports.front(), 0.0);
    EXPECT_EQ(reports.back(), 1.0);
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));

    // Played again: the same copy, no conversion, and its date says when it was last used.
    reports.clear();
    setModified(copy, 1700000000);
    now = Date{std::floor(now.secondsSince1970) + 100.25};
    const QFuture<QString> second = prepare(source, converter);
    settle(second);
    EXPECT_EQ(second.result(), copy);
    EXPECT_EQ(converter->calls, 1);
    EXPECT_TRUE(reports.isEmpty());
    EXPECT_NEAR(modifiedOf(copy), now.secondsSince1970, 1e-6);
}

TEST_F(VideoCompatibilityTest, AnEmptyCopyIsMadeAgain) {
    const QString source = av1Clip();
    test::makeDirectories(cache());
    test::writeFile(copyOf(source), QByteArray());
    const auto converter = realConversion();
    const QFuture<QString> future = prepare(source, converter);
    settle(future);
    EXPECT_EQ(future.result(), copyOf(source));
    EXPECT_EQ(converter->calls, 1);
    EXPECT_GT(QFileInfo(copyOf(source)).size(), 0);
}

TEST_F(VideoCompatibilityTest, ACopyAskedForWithoutAProgressHandlerIsMadeAllTheSame) {
    const QString source = av1Clip();
    const auto converter = realConversion();
    const QFuture<QString> future =
        VideoCompatibility::playbackURL(source, cache(), {}, converter, [this] { return now; });
    settle(future);
    EXPECT_EQ(future.result(), copyOf(source));
    EXPECT_EQ(converter->calls, 1);
}

TEST_F(VideoCompatibilityTest, ASourceChangedDuringItsConversionLeavesNothingBehind) {
    const QString source = av1Clip();
    onProgress = [&](double fraction) {
        if (fraction == 0.0) {
            setModified(source, 1600000000);
        }
    };
    const QFuture<QString> future = prepare(source, realConversion());
    settle(future);
    const std::optional<Error> error = errorOf(future);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain(), QStringLiteral("Lumivex.Video"));
    EXPECT_EQ(error->code(), 2);
    EXPECT_EQ(error->description(),
              QStringLiteral("영상 파일이 변경되었습니다. 미리보기를 다시 열어주세요."));
    EXPECT_TRUE(cacheFiles().isEmpty());
}

TEST_F(VideoCompatibilityTest, ACopyThatIsStillAV1IsRefused) {
    const QString source = av1Clip();
    const auto copying = std::make_shared<ScriptedConverter>(
        [](const QString& from, const QString& to, ConversionControl&) {
            ASSERT_TRUE(QFile::copy(from, to));
        });
    const QFuture<QString> future = prepare(source, copying);
    settle(future);
    const std::optional<Error> error = errorOf(future);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), 3);
    EXPECT_EQ(error->description(),
              QStringLiteral("호환 재생용 영상의 변환을 완료하지 못했습니다."));
    EXPECT_TRUE(cacheFiles().isEmpty());
}

TEST_F(VideoCompatibilityTest, FailuresPassThroughAndRemoveTheTemporaryFile) {
    const QString source = av1Clip();
    const auto failing = std::make_shared<ScriptedConverter>(
        [](const QString&, const QString& to, ConversionControl&) {
            test::writeFile(to, "partial");
            throw Error(QStringLiteral("FFmpeg"), -5, QStringLiteral("disk"));
        });
    const QFuture<QString> failed = prepare(source, failing);
    settle(failed);
    ASSERT_TRUE(errorOf(failed));
    EXPECT_EQ(errorOf(failed)->domain(), QStringLiteral("FFmpeg"));
    EXPECT_TRUE(cacheFiles().isEmpty());

    const QFuture<QString> unavailable =
        prepare(source, std::make_shared<ScriptedConverter>(nullptr, false));
    settle(unavailable);
    ASSERT_TRUE(errorOf(unavailable));
    EXPECT_EQ(errorOf(unavailable)->code(), 1);
    EXPECT_EQ(errorOf(unavailable)->description(),
              QStringLiteral("이 AV1 영상의 호환 재생용 사본을 만들 수 없습니다."));

    // A cache folder that cannot be made.
    test::writeFile(path(QStringLiteral("file")), "x");
    const QFuture<QString> noFolder = VideoCompatibility::playbackURL(
        source, path(QStringLiteral("file/cache")), [](double) {}, realConversion(), &Date::now);
    settle(noFolder);
    ASSERT_TRUE(errorOf(noFolder));
    EXPECT_EQ(errorOf(noFolder)->systemErrorNumber(), ENOTDIR);

    const QString text = path(QStringLiteral("notes.mp4"));
    test::writeFile(text, "not a video");
    const QFuture<QString> unreadable = prepare(text, failing);
    settle(unreadable);
    EXPECT_TRUE(errorOf(unreadable));
    EXPECT_EQ(failing->calls, 1);
}

TEST_F(VideoCompatibilityTest, CancellingStopsTheConversionAndRemovesItsFile) {
    const QString source = av1Clip();
    QFuture<QString> future;
    std::atomic<bool> temporaryExisted = false;
    const auto waiting = std::make_shared<ScriptedConverter>(
        [&](const QString&, const QString& to, ConversionControl& control) {
            test::writeFile(to, "partial");
            temporaryExisted = QFileInfo(to).fileName().startsWith(QStringLiteral(".preparing-"));
            for (int i = 0; i < 500 && !control.cancelled; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            if (control.cancelled) {
                throw VideoConverter::Cancelled{};
            }
        });
    onProgress = [&](double fraction) {
        if (fraction == 0.0) {
            QTimer::singleShot(50, [&] { future.cancel(); });
        }
    };
    future = prepare(source, waiting);
    settle(future);
    EXPECT_TRUE(future.isCanceled());
    EXPECT_TRUE(temporaryExisted);
    EXPECT_TRUE(cacheFiles().isEmpty());

    // The real conversion honours it too.
    onProgress = [&](double fraction) {
        if (fraction == 0.0) {
            future.cancel();
        }
    };
    future = prepare(source, realConversion());
    settle(future);
    EXPECT_TRUE(future.isCanceled());
    EXPECT_TRUE(cacheFiles().isEmpty());
}

TEST_F(VideoCompatibilityTest, ProgressComesAtMostEveryQuarterSecond) {
    const QString source = av1Clip();
    const auto slow = std::make_shared<ScriptedConverter>(
        [](const QString& from, const QString& to, ConversionControl& control) {
            for (int step = 1; step <= 70; ++step) {
                control.fraction = step / 100.0;
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            ConversionControl rest;
            H264Mp4Converter().convert(from, to, rest);
            control.fraction = 1.0;
        });
    QElapsedTimer clock;
    QList<qint64> times;
    onProgress = [&](double) {
        if (!clock.isValid()) {
            clock.start();
        }
        times.append(clock.elapsed());
    };
    const QFuture<QString> future = prepare(source, slow);
    settle(future);
    EXPECT_EQ(future.result(), copyOf(source));
    ASSERT_GE(reports.size(), 3) << "a 0.7 s conversion reports between 0 and 1";
    EXPECT_LE(reports.size() - 2, times.back() / 250 + 1);
    for (qsizetype i = 2; i + 1 < times.size(); ++i) {
        EXPECT_GE(times[i] - times[i - 1], 249) << "report " << i;
    }
    EXPECT_EQ(reports.front(), 0.0);
    EXPECT_EQ(reports.back(), 1.0);
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
}

TEST_F(VideoCompatibilityTest, OverlappingConversionsOfOneVideoLeaveOneCopy) {
    const QString source = av1Clip();
    const auto converter = realConversion();
    const QFuture<QString> first = prepare(source, converter);
    const QFuture<QString> second = prepare(source, converter);
    settle(first);
    settle(second);
    EXPECT_EQ(first.result(), copyOf(source));
    EXPECT_EQ(second.result(), copyOf(source));
    EXPECT_EQ(cacheFiles(), QStringList{QFileInfo(copyOf(source)).fileName()});
}

TEST_F(VideoCompatibilityTest, OddSidesAreEvenedForH264) {
    const QString source = path(QStringLiteral("odd.mkv"));
    writeEncodedClip(source, {.picture = PictureCodec::av1,
                              .width = 63,
                              .height = 47,
                              .frames = 3,
                              .container = "matroska"});
    const QString copy = path(QStringLiteral("odd.mp4"));
    ConversionControl control;
    H264Mp4Converter().convert(source, copy, control);
    EXPECT_EQ(control.fraction, 1.0);
    AVFormatContext* context = nullptr;
    ASSERT_EQ(avformat_open_input(&context, QFile::encodeName(copy).constData(), nullptr, nullptr),
              0);
    ASSERT_EQ(context->nb_streams, 1u);
    EXPECT_EQ(context->streams[0]->codecpar->codec_id, AV_CODEC_ID_H264);
    EXPECT_EQ(context->streams[0]->codecpar->width, 62);
    EXPECT_EQ(context->streams[0]->codecpar->height, 46);
    avformat_close_input(&context);
}

}  // namespace
}  // namespace lumivex

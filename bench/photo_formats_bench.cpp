// Thumbnails of the photo formats beyond JPEG and PNG, each beside the command-line tool a user
// would compare with, in the same run: camera raw previews against `exiftool -b -PreviewImage`
// (one process per file, the user's alternative), HEIC against `heif-convert`, WebP and TIFF
// against `vipsthumbnail -s 360`. The tools' benchmarks are skipped when they are not installed.
#include "media/thumbnail_decoder.h"
#include "support/dng_fixtures.h"
#include "support/heif_fixtures.h"
#include "support/media_fixtures.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <fstream>

namespace {

using namespace lumivex;

constexpr int thumbnailSize = 360;

double loadAverage() {
    std::ifstream file("/proc/loadavg");
    double oneMinute = 0;
    file >> oneMinute;
    return oneMinute;
}

void writeTo(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
}

// Files of one kind in a temporary folder, made once per process.
struct Files {
    QTemporaryDir folder;
    QStringList paths;
    qint64 bytes = 0;

    void add(const QString& name, const QByteArray& content) {
        paths.append(folder.filePath(name));
        writeTo(paths.last(), content);
        bytes += content.size();
    }
};

// 200 DNGs as a camera's converter writes them: a 1620 x 1080 JPEG preview in IFD0, turned by
// the orientation tag, and the sensor mosaic in a sub-IFD.
const Files& rawFiles() {
    static const Files files = [] {
        Files made;
        QList<QImage> previews;
        for (quint32 seed = 0; seed < 4; ++seed) {
            previews.append(test::photoLikeImage(QSize(1620, 1080), seed));
        }
        const QByteArray first =
            test::dng({.preview = previews[0], .orientation = 6, .sensor = QSize(1200, 800)});
        for (int index = 0; index < 200; ++index) {
            made.add(QStringLiteral("DSC_%1.dng").arg(index),
                     index < 4 ? test::dng({.preview = previews[index],
                                            .orientation = 6,
                                            .sensor = QSize(1200, 800)})
                               : first);
        }
        return made;
    }();
    return files;
}

// Eight 12-megapixel phone photos (4032 x 3024, HEVC) with a 320 px thumbnail, as phones save.
const Files& heicFiles() {
    static const Files files = [] {
        Files made;
        for (quint32 seed = 0; seed < 8; ++seed) {
            made.add(QStringLiteral("IMG_%1.HEIC").arg(seed),
                     test::heif({.image = test::photoLikeImage(QSize(4032, 3024), seed),
                                 .orientation = 6,
                                 .thumbnailSize = 320}));
        }
        return made;
    }();
    return files;
}

// Six 6-megapixel pictures (3000 x 2000) of one format written by Qt: WebP downloads, TIFF scans.
const Files& qtFiles(const char* format) {
    static std::map<std::string, Files> made;
    Files& files = made[format];
    if (files.paths.isEmpty()) {
        for (quint32 seed = 0; seed < 6; ++seed) {
            files.add(QStringLiteral("picture_%1.%2").arg(seed).arg(QLatin1String(format)),
                      test::encodeImage(test::photoLikeImage(QSize(3000, 2000), seed), format, 90));
        }
    }
    return files;
}

// Seconds of processor time used so far by this process's threads, or by its finished children:
// what a thumbnail costs whatever else the machine runs.
double processorSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void report(benchmark::State& state, const Files& files, double processor) {
    const double decodes =
        static_cast<double>(files.paths.size()) * static_cast<double>(state.iterations());
    state.counters["cpuMsPerFile"] = processor * 1000.0 / decodes;
    state.counters["files"] = static_cast<double>(files.paths.size());
    state.counters["msPerFile"] = benchmark::Counter(
        static_cast<double>(files.paths.size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["fileKiB"] =
        static_cast<double>(files.bytes) / static_cast<double>(files.paths.size()) / 1024.0;
    state.counters["load1"] = loadAverage();
}

// Ours: one thread, one file after another, as one decode thread of the cache does them.
void decodeAll(benchmark::State& state, const Files& files, int size, DecodeRoute expected) {
    const std::atomic<bool> goOn{false};
    const double processorBefore = processorSeconds(RUSAGE_SELF);
    for (auto _ : state) {
        for (const QString& path : files.paths) {
            const PhotoDecoding decoded = ThumbnailDecoder::decodePhoto(path, size, goOn);
            if (decoded.route != expected) {
                state.SkipWithError("unexpected decode route");
                return;
            }
            benchmark::DoNotOptimize(decoded.image.width());
        }
    }
    report(state, files, processorSeconds(RUSAGE_SELF) - processorBefore);
}

// The reference: one process of `program` per file, with `arguments` around the file's path
// ("%in" and "%out" stand for the file and an output path).
void runPerFile(benchmark::State& state, const Files& files, const QString& name,
                const QStringList& arguments) {
    const QString program = QStandardPaths::findExecutable(name);
    if (program.isEmpty()) {
        state.SkipWithError("the reference tool is not installed");
        return;
    }
    QTemporaryDir output;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VIPS_CONCURRENCY"), QStringLiteral("1"));
    const double processorBefore = processorSeconds(RUSAGE_CHILDREN);
    for (auto _ : state) {
        for (const QString& path : files.paths) {
            QStringList filled;
            for (const QString& argument : arguments) {
                filled.append(argument == u"%in"    ? path
                              : argument == u"%out" ? output.filePath(QStringLiteral("out.jpg"))
                                                    : argument);
            }
            QProcess tool;
            tool.setProcessEnvironment(environment);
            tool.setStandardOutputFile(QProcess::nullDevice());
            tool.start(program, filled);
            if (!tool.waitForFinished(-1) || tool.exitCode() != 0) {
                state.SkipWithError("the reference tool failed");
                return;
            }
        }
    }
    report(state, files, processorSeconds(RUSAGE_CHILDREN) - processorBefore);
}

void rawPreviewThumbnails200(benchmark::State& state) {
    decodeAll(state, rawFiles(), thumbnailSize, DecodeRoute::embeddedPreview);
}
BENCHMARK(rawPreviewThumbnails200)->Unit(benchmark::kMillisecond)->UseRealTime();

void exiftoolPreviewImage200(benchmark::State& state) {
    runPerFile(state, rawFiles(), QStringLiteral("exiftool"),
               {QStringLiteral("-b"), QStringLiteral("-PreviewImage"), QStringLiteral("%in")});
}
BENCHMARK(exiftoolPreviewImage200)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void heicThumbnails360(benchmark::State& state) {
    decodeAll(state, heicFiles(), thumbnailSize, DecodeRoute::wholeImage);
}
BENCHMARK(heicThumbnails360)->Unit(benchmark::kMillisecond)->UseRealTime();

// The grid's smallest setting: the phone's own 320 px thumbnail serves.
void heicThumbnails144(benchmark::State& state) {
    decodeAll(state, heicFiles(), 144, DecodeRoute::embeddedPreview);
}
BENCHMARK(heicThumbnails144)->Unit(benchmark::kMillisecond)->UseRealTime();

void heifConvert(benchmark::State& state) {
    runPerFile(state, heicFiles(), QStringLiteral("heif-convert"),
               {QStringLiteral("%in"), QStringLiteral("%out")});
}
BENCHMARK(heifConvert)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void webpThumbnails360(benchmark::State& state) {
    decodeAll(state, qtFiles("webp"), thumbnailSize, DecodeRoute::wholeImage);
}
BENCHMARK(webpThumbnails360)->Unit(benchmark::kMillisecond)->UseRealTime();

void vipsthumbnailWebp360(benchmark::State& state) {
    runPerFile(state, qtFiles("webp"), QStringLiteral("vipsthumbnail"),
               {QStringLiteral("-s"), QString::number(thumbnailSize), QStringLiteral("%in"),
                QStringLiteral("-o"), QStringLiteral("%out")});
}
BENCHMARK(vipsthumbnailWebp360)->Unit(benchmark::kMillisecond)->UseRealTime();

void tiffThumbnails360(benchmark::State& state) {
    decodeAll(state, qtFiles("tiff"), thumbnailSize, DecodeRoute::wholeImage);
}
BENCHMARK(tiffThumbnails360)->Unit(benchmark::kMillisecond)->UseRealTime();

void vipsthumbnailTiff360(benchmark::State& state) {
    runPerFile(state, qtFiles("tiff"), QStringLiteral("vipsthumbnail"),
               {QStringLiteral("-s"), QString::number(thumbnailSize), QStringLiteral("%in"),
                QStringLiteral("-o"), QStringLiteral("%out")});
}
BENCHMARK(vipsthumbnailTiff360)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

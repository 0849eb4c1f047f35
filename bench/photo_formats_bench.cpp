// Thumbnails of the photo formats beyond JPEG and PNG, each beside the command-line tool a user
// would compare with, in the same run: camera raw previews against `exiftool -fast2 -b
// -PreviewImage`, HEIC, WebP and TIFF against `vipsthumbnail -s 360`. Every side, ours too
// (lumivex_thumbnail_probe), runs as one process over the whole set of files, as a person runs a
// tool over a folder, so each counts one process start. The tools' benchmarks are skipped when
// they are not installed.
#include "media/photo_decoding.h"
#include "one_process_run.h"
#include "support/dng_fixtures.h"
#include "support/heif_fixtures.h"
#include "support/media_fixtures.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <functional>

#include <sys/resource.h>

namespace {

using namespace lumivex;

constexpr int thumbnailSize = 360;

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
    state.counters["load1"] = bench::loadAverage();
}

// `program` run once over the set per iteration, with `arguments` before the files' paths ("%out"
// stands for a folder for its output); `check` judges what it printed.
void runOverSet(benchmark::State& state, const Files& files, const QString& program,
                const QStringList& arguments,
                const std::function<bool(const QByteArray&)>& check = {}) {
    if (program.isEmpty()) {
        state.SkipWithError("the reference tool is not installed");
        return;
    }
    QTemporaryDir output;
    QStringList filled = arguments;
    filled.replaceInStrings(QStringLiteral("%out"), output.path());
    const double processorBefore = bench::processorSeconds(RUSAGE_CHILDREN);
    for (auto _ : state) {
        const std::optional<QByteArray> printed = bench::runOverFiles(program, filled, files.paths);
        if (!printed || (check && !check(*printed))) {
            state.SkipWithError("the program failed or took another route");
            return;
        }
    }
    report(state, files, bench::processorSeconds(RUSAGE_CHILDREN) - processorBefore);
}

// Ours: lumivex_thumbnail_probe, each decode expected to take `route`.
void decodeAll(benchmark::State& state, const Files& files, int size, DecodeRoute route) {
    const QByteArray routeLine = QByteArray::number(static_cast<int>(route)) + '\n';
    runOverSet(state, files, bench::besideBenchmark(QStringLiteral("lumivex_thumbnail_probe")),
               {QString::number(size)}, [&](const QByteArray& printed) {
                   return printed == routeLine.repeated(files.paths.size());
               });
}

QString installed(const char* name) {
    return QStandardPaths::findExecutable(QLatin1String(name));
}

// vipsthumbnail's own way over many files: one output name pattern in a folder.
void vipsthumbnail(benchmark::State& state, const Files& files) {
    runOverSet(state, files, installed("vipsthumbnail"),
               {QStringLiteral("-s"), QString::number(thumbnailSize), QStringLiteral("-o"),
                QStringLiteral("%out/%s.jpg")});
}

void rawPreviewThumbnails200(benchmark::State& state) {
    decodeAll(state, rawFiles(), thumbnailSize, DecodeRoute::embeddedPreview);
}
BENCHMARK(rawPreviewThumbnails200)->Unit(benchmark::kMillisecond)->UseRealTime();

// -fast2 is exiftool's fastest documented reading; -w writes each file's preview beside the rest.
void exiftoolPreviewImage200(benchmark::State& state) {
    runOverSet(state, rawFiles(), installed("exiftool"),
               {QStringLiteral("-fast2"), QStringLiteral("-b"), QStringLiteral("-PreviewImage"),
                QStringLiteral("-w!"), QStringLiteral("%out/%f.jpg")});
}
BENCHMARK(exiftoolPreviewImage200)->Unit(benchmark::kMillisecond)->UseRealTime();

void heicThumbnails360(benchmark::State& state) {
    decodeAll(state, heicFiles(), thumbnailSize, DecodeRoute::wholeImage);
}
BENCHMARK(heicThumbnails360)->Unit(benchmark::kMillisecond)->UseRealTime();

// The grid's smallest setting: the phone's own 320 px thumbnail serves.
void heicThumbnails144(benchmark::State& state) {
    decodeAll(state, heicFiles(), 144, DecodeRoute::embeddedPreview);
}
BENCHMARK(heicThumbnails144)->Unit(benchmark::kMillisecond)->UseRealTime();

void vipsthumbnailHeic360(benchmark::State& state) {
    vipsthumbnail(state, heicFiles());
}
BENCHMARK(vipsthumbnailHeic360)->Unit(benchmark::kMillisecond)->UseRealTime();

void webpThumbnails360(benchmark::State& state) {
    decodeAll(state, qtFiles("webp"), thumbnailSize, DecodeRoute::wholeImage);
}
BENCHMARK(webpThumbnails360)->Unit(benchmark::kMillisecond)->UseRealTime();

void vipsthumbnailWebp360(benchmark::State& state) {
    vipsthumbnail(state, qtFiles("webp"));
}
BENCHMARK(vipsthumbnailWebp360)->Unit(benchmark::kMillisecond)->UseRealTime();

void tiffThumbnails360(benchmark::State& state) {
    decodeAll(state, qtFiles("tiff"), thumbnailSize, DecodeRoute::wholeImage);
}
BENCHMARK(tiffThumbnails360)->Unit(benchmark::kMillisecond)->UseRealTime();

void vipsthumbnailTiff360(benchmark::State& state) {
    vipsthumbnail(state, qtFiles("tiff"));
}
BENCHMARK(vipsthumbnailTiff360)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

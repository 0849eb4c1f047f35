#include "bench_run.h"
#include "media/thumbnail_cache.h"
#include "media/video_frame.h"
#include "model/library.h"
#include "one_process_run.h"
#include "support/media_fixtures.h"
#include "support/video_encoding.h"

#include <QEventLoop>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <atomic>

namespace {

using namespace lumivex;

constexpr int cameraPhotos = 6;
constexpr int thumbnailSize = 360;

using bench::ensureCoreApplication;
using bench::processorSeconds;

// Images per second of processor time: what one decode thread manages when it has a core to
// itself, whatever else the machine runs.
void reportRates(benchmark::State& state, double images, double threads, double processor) {
    state.counters["imagesPerThread/s"] =
        benchmark::Counter(images / threads, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["imagesPerCpuSecond"] =
        images * static_cast<double>(state.iterations()) / processor;
    state.counters["load1"] = bench::loadAverage();
}

// 24-megapixel JPEGs (6000 x 4000, quality 92, EXIF orientation) with the detail and file size
// of camera pictures, made once per process.
struct CameraPhotos {
    QTemporaryDir folder;
    QStringList paths;
    qint64 bytes = 0;

    CameraPhotos() {
        for (int index = 0; index < cameraPhotos; ++index) {
            paths.append(folder.filePath(QStringLiteral("DSC_%1.jpg").arg(index)));
            QFile file(paths.last());
            file.open(QIODevice::WriteOnly);
            file.write(test::encodeImage(
                test::photoLikeImage(QSize(6000, 4000), static_cast<quint32>(index)), "jpeg", 92));
            file.close();
            test::setOrientation(paths.last(), 1);
            bytes += QFile(paths.last()).size();
        }
    }
};

const CameraPhotos& photos() {
    static const CameraPhotos shared;
    return shared;
}

MediaItem itemFor(const QString& path, int round) {
    MediaItem item;
    item.filename = path.section(u'/', -1);
    item.fileIdentity = QStringLiteral("bench:%1").arg(round);  // a new key every round
    item.size = QFile(path).size();
    return item;
}

// The photos through the thumbnail cache and its three decode threads, nothing cached. The
// per-thread rate divides the throughput by the threads the pool can use.
void thumbnailCacheJpeg24MP(benchmark::State& state) {
    ensureCoreApplication();
    const CameraPhotos& shared = photos();
    ThumbnailCache cache;
    QObject context;
    int round = 0;
    const double processorBefore = processorSeconds(RUSAGE_SELF);
    for (auto _ : state) {
        ++round;
        int pending = static_cast<int>(shared.paths.size());
        QEventLoop loop;
        for (const QString& path : shared.paths) {
            cache.image(path, itemFor(path, round), thumbnailSize, &context,
                        [&](const QImage& image) {
                            benchmark::DoNotOptimize(image.width());
                            if (--pending == 0) {
                                loop.quit();
                            }
                        });
        }
        loop.exec();
    }
    const int threads = std::min(ThumbnailCache::maximumConcurrentDecodes,
                                 static_cast<int>(std::thread::hardware_concurrency()));
    reportRates(state, static_cast<double>(shared.paths.size()), threads,
                processorSeconds(RUSAGE_SELF) - processorBefore);
    state.counters["fileMiB"] =
        static_cast<double>(shared.bytes) / static_cast<double>(shared.paths.size()) / 1048576.0;
}
BENCHMARK(thumbnailCacheJpeg24MP)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The same decodes one after another on one thread, without the cache around them, in a process
// of its own over all the photos, as the reference runs.
void thumbnailDecoderOneThreadJpeg24MP(benchmark::State& state) {
    const CameraPhotos& shared = photos();
    const QString probe = bench::besideBenchmark(QStringLiteral("lumivex_thumbnail_probe"));
    const double processorBefore = processorSeconds(RUSAGE_CHILDREN);
    for (auto _ : state) {
        if (!bench::runOverFiles(probe, {QString::number(thumbnailSize)}, shared.paths)) {
            state.SkipWithError("lumivex_thumbnail_probe failed");
            return;
        }
    }
    reportRates(state, static_cast<double>(shared.paths.size()), 1,
                processorSeconds(RUSAGE_CHILDREN) - processorBefore);
}
BENCHMARK(thumbnailDecoderOneThreadJpeg24MP)->Unit(benchmark::kMillisecond)->UseRealTime();

// A video's grid thumbnail: one frame of a 1280 x 720 H.264 clip (thirty frames, its middle one
// second in), read and shrunk on one thread, one clip after another. The decoder's frame buffers
// are allocated and freed at every grab, so what the allocator does with freed pages shows here.
void videoFrameGrab720p(benchmark::State& state) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("clip.mp4"));
    test::writeEncodedClip(path, {test::PictureCodec::h264, 1280, 720, 30, 30});
    const std::atomic<bool> cancelled{false};
    const double processorBefore = processorSeconds(RUSAGE_SELF);
    for (auto _ : state) {
        benchmark::DoNotOptimize(VideoFrame::grab(path, 0.5, thumbnailSize, cancelled).width());
    }
    reportRates(state, 1, 1, processorSeconds(RUSAGE_SELF) - processorBefore);
}
BENCHMARK(videoFrameGrab720p)->Unit(benchmark::kMillisecond)->UseRealTime();

// The reference: vipsthumbnail on one thread over the same files, when it is installed.
void vipsthumbnailOneThreadJpeg24MP(benchmark::State& state) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("vipsthumbnail"));
    if (program.isEmpty()) {
        state.SkipWithError("vipsthumbnail is not installed");
        return;
    }
    const CameraPhotos& shared = photos();
    QTemporaryDir output;
    const QStringList arguments{QStringLiteral("-s"), QString::number(thumbnailSize),
                                QStringLiteral("-o"), output.filePath(QStringLiteral("%s.jpg"))};
    const double processorBefore = processorSeconds(RUSAGE_CHILDREN);
    for (auto _ : state) {
        if (!bench::runOverFiles(program, arguments, shared.paths)) {
            state.SkipWithError("vipsthumbnail failed");
            return;
        }
    }
    reportRates(state, static_cast<double>(shared.paths.size()), 1,
                processorSeconds(RUSAGE_CHILDREN) - processorBefore);
}
BENCHMARK(vipsthumbnailOneThreadJpeg24MP)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

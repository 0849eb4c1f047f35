#include "media/h264_mp4_converter.h"
#include "one_process_run.h"
#include "support/video_encoding.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

using namespace lumivex;

// A 10-second 720p AV1 clip with sound, encoded once per process.
struct Clip {
    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("clip.mkv"));

    Clip() {
        test::writeEncodedClip(path, {.picture = test::PictureCodec::av1,
                                      .width = 1280,
                                      .height = 720,
                                      .frames = 300,
                                      .framesPerSecond = 30,
                                      .sound = true,
                                      .container = "matroska"});
    }
};

const Clip& clip() {
    static const Clip shared;
    return shared;
}

double secondsOf(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

// What a user would run by hand for the same copy.
double referenceSeconds(const QString& ffmpeg, const QString& source, const QString& destination) {
    QElapsedTimer timer;
    timer.start();
    QProcess process;
    process.start(ffmpeg,
                  {QStringLiteral("-nostdin"), QStringLiteral("-y"), QStringLiteral("-loglevel"),
                   QStringLiteral("error"), QStringLiteral("-i"), source, QStringLiteral("-c:v"),
                   QStringLiteral("libx264"), QStringLiteral("-crf"), QStringLiteral("18"),
                   QStringLiteral("-c:a"), QStringLiteral("aac"), destination});
    if (!process.waitForFinished(-1) || process.exitCode() != 0) {
        return -1;
    }
    return secondsOf(timer);
}

// The copy of an AV1 clip against the ffmpeg command line on the same clip, alternated in each
// iteration so that both see the same machine load. The ratios are ours over ffmpeg's, in wall time
// and in the processor time of every thread of each.
void BM_AV1CopyAgainstFfmpeg(benchmark::State& state) {
    const QString source = clip().path;
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    QTemporaryDir output;
    const QString ours = output.filePath(QStringLiteral("ours.mp4"));
    const QString theirs = output.filePath(QStringLiteral("theirs.mp4"));
    double oursTotal = 0;
    double theirsTotal = 0;
    double oursCpu = 0;
    double theirsCpu = 0;
    for (auto _ : state) {
        QFile::remove(ours);
        QElapsedTimer timer;
        timer.start();
        const double processorStart = bench::processorSeconds(RUSAGE_SELF);
        ConversionControl control;
        H264Mp4Converter().convert(source, ours, control);
        oursCpu += bench::processorSeconds(RUSAGE_SELF) - processorStart;
        const double elapsed = secondsOf(timer);
        oursTotal += elapsed;
        state.SetIterationTime(elapsed);
        if (!ffmpeg.isEmpty()) {
            state.PauseTiming();
            const double childrenStart = bench::processorSeconds(RUSAGE_CHILDREN);
            theirsTotal += referenceSeconds(ffmpeg, source, theirs);
            theirsCpu += bench::processorSeconds(RUSAGE_CHILDREN) - childrenStart;
            state.ResumeTiming();
        }
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["ours_s"] = oursTotal / iterations;
    state.counters["ours_cpu_s"] = oursCpu / iterations;
    if (theirsTotal > 0) {
        state.counters["ffmpeg_s"] = theirsTotal / iterations;
        state.counters["ratio"] = oursTotal / theirsTotal;
        state.counters["ffmpeg_cpu_s"] = theirsCpu / iterations;
        state.counters["cpu_ratio"] = oursCpu / theirsCpu;
    } else {
        state.SetLabel("ffmpeg not installed: no reference");
    }
}
BENCHMARK(BM_AV1CopyAgainstFfmpeg)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace

// The preview and the deleted-records panel on the offscreen platform, each beside a reference
// measured in the same run.
//
// previewPhoto24MP: a 24-megapixel JPEG from the pane's creation at 1240 x 800 to its first paint
// with the decoded picture, beside a bare QImageReader decode of the same file scaled to the size
// the pane asked for (ratio = pane / reader). Beside them: the same bare decode on a pool thread,
// and processor times (the pane's decode on its thread against the bare decode; what the pane
// cost the main thread, which sleeps in its event loop while the decode runs).
//
// previewPhoto24MPBehindGrid: the same pane while two screens of grid thumbnails wait in the
// same cache, as just after a folder opened.
//
// previewNextPhoto24MP: "." in the preview card, which replaces the pane with the next item's,
// to that pane's first paint with its picture, beside the same bare decode.
//
// previewVideoFirstFrame/h264 and /av1Copied: a pane of a local video to the first frame its
// player hands the picture, beside the media layer's own first-frame read of the same file
// (VideoFrame::grab at the pane's size). For the AV1 clip the copy already exists.
//
// deletedRecordsOpen/10000 and deletedRecordsKeystroke10k: the panel with 10,000 records, made,
// shown and painted (deletedRecordsOpen/0: the same without a record); one character typed into its
// search field and the panel painted again. Both are reported against one 60 Hz frame (16.7 ms).

#include "bench_run.h"
#include "media/photos_thumbnail_cache.h"
#include "media/qt_video_player.h"
#include "media/thumbnail_cache.h"
#include "media/thumbnail_decoder.h"
#include "media/video_frame.h"
#include "media_views/lumivex_video_player_view.h"
#include "media_views/media_thumbnail.h"
#include "media_views/video_player_session.h"
#include "panels/deleted_records_view.h"
#include "panels/preview_view.h"
#include "panels/resizable_media_preview.h"
#include "platform/user_defaults.h"
#include "support/manual_clock.h"
#include "support/video_encoding.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImageReader>
#include <QImageWriter>
#include <QLineEdit>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>
#include <QVideoFrame>
#include <QVideoSink>
#include <QVideoWidget>

#include <benchmark/benchmark.h>

#include <atomic>
#include <ctime>
#include <memory>
#include <mutex>
#include <optional>

using namespace lumivex;

namespace {

constexpr double frameMilliseconds = 1000.0 / 60.0;
const QSize paneSize(1240, 800);

struct Fixture {
    QTemporaryDir temp;
    UserDefaults defaults{temp.filePath(QStringLiteral("defaults.json"))};
    VideoPlayerSession session{defaults};
    QString photoA = temp.filePath(QStringLiteral("a.jpg"));
    QString photoB = temp.filePath(QStringLiteral("b.jpg"));
    QString h264 = temp.filePath(QStringLiteral("h264.mp4"));
    QString av1 = temp.filePath(QStringLiteral("av1.mp4"));
    QString cache = temp.filePath(QStringLiteral("cache"));

    Fixture() {
        writePhoto(photoA, 1);
        writePhoto(photoB, 2);
        test::writeEncodedClip(h264, {test::PictureCodec::h264, 1280, 720, 30, 30});
        test::writeEncodedClip(av1, {test::PictureCodec::av1, 1280, 720, 30, 30});
    }

    // A camera-like picture: gradients under fine noise, which JPEG cannot flatten away.
    static void writePhoto(const QString& path, quint32 seed) {
        QImage image(6000, 4000, QImage::Format_RGB32);
        QRandomGenerator random(seed);
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int noise = static_cast<int>(random.bounded(24));
                row[x] =
                    qRgb((x / 24 + noise) & 0xff, (y / 16 + noise) & 0xff, (x + y) / 40 & 0xff);
            }
        }
        QImageWriter writer(path, "jpeg");
        writer.setQuality(90);
        writer.write(image);
    }

    PreviewServices services(ThumbnailCache& folders) {
        PreviewServices made = PreviewServices::standard(defaults, nullptr, session);
        made.folders = &folders;
        made.prepareVideo = [this](const QString& path,
                                   VideoCompatibility::ProgressHandler progress) {
            return VideoCompatibility::playbackURL(path, cache, std::move(progress));
        };
        return made;
    }
};

std::unique_ptr<Fixture> shared;

Fixture& fixture() {
    if (!shared) {
        shared = std::make_unique<Fixture>();
    }
    return *shared;
}

MediaItem item(const QString& filename, MediaKind kind) {
    MediaItem made;
    made.id = QUuid::createUuid();
    made.filename = filename;
    made.fileIdentity = QStringLiteral("1:1:0.0");
    made.kind = kind;
    return made;
}

// Waits in the event loop, asleep between events as the application's main thread is while a
// decode runs. Spinning here would take a core from the very decode being timed: on a machine
// with no core to spare a spinning main thread doubled the pool thread's decode. What is timed
// ends with an event posted to the main thread; the tick only bounds the wait for conditions
// other threads set without one (a copy made before the timing).
void waitUntil(const std::function<bool()>& done) {
    QTimer tick;
    tick.start(10);
    QElapsedTimer limit;
    limit.start();
    while (!done() && limit.elapsed() < 30000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

// Processor time of the calling thread, in milliseconds.
double threadMilliseconds() {
    timespec time{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_nsec) / 1e6;
}

// The bare decode the pane is measured against: the reader told to scale to the requested size.
double readerMilliseconds(const QString& path, int longerSide) {
    QElapsedTimer timer;
    timer.start();
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QSize size = reader.size();
    size.scale(longerSide, longerSide, Qt::KeepAspectRatio);
    reader.setScaledSize(size);
    const QImage image = reader.read();
    benchmark::DoNotOptimize(image.constBits());
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void paint(QWidget& widget) {
    QImage target(widget.size(), QImage::Format_ARGB32_Premultiplied);
    widget.render(&target);
    benchmark::DoNotOptimize(target.constBits());
}

void report(benchmark::State& state, double measured, double reference, const char* name) {
    const double runs = static_cast<double>(state.iterations());
    state.counters["ms"] = measured / runs;
    state.counters[name] = reference / runs;
    state.counters["ratio"] = measured / reference;
}

// Wall and processor time of one run of `work` on the calling thread.
struct Timed {
    double wall = 0;
    double processor = 0;

    Timed& operator+=(const Timed& other) {
        wall += other.wall;
        processor += other.processor;
        return *this;
    }
};

template <typename Work>
Timed timed(Work&& work) {
    const double processor = threadMilliseconds();
    const double wall = bench::millisecondsOf(std::forward<Work>(work));
    return {wall, threadMilliseconds() - processor};
}

// The thumbnail decoder, counting its decodes and their processor time on the pool's threads.
class TimedDecoder {
public:
    ThumbnailCache::Decoder decoder() {
        return [this](const ThumbnailSource& source, const std::atomic<bool>& cancelled) {
            QImage image;
            const Timed spent = timed([&] { image = ThumbnailDecoder::decode(source, cancelled); });
            const std::scoped_lock lock(mutex_);
            ++count_;
            spent_ += spent;
            return image;
        };
    }
    int count() const {
        const std::scoped_lock lock(mutex_);
        return count_;
    }
    double processor() const {
        const std::scoped_lock lock(mutex_);
        return spent_.processor;
    }
    void reset() {
        const std::scoped_lock lock(mutex_);
        count_ = 0;
        spent_ = {};
    }

private:
    mutable std::mutex mutex_;
    int count_ = 0;
    Timed spent_;
};

// Processor time against the bare decode's: the pane's decode on its pool thread alone, and that
// decode with all the pane cost the main thread (made, shown, the image taken, painted).
void reportProcessor(benchmark::State& state, const TimedDecoder& decodes, const Timed& pane,
                     const Timed& reader) {
    const double runs = static_cast<double>(state.iterations());
    state.counters["decodeCpuMs"] = decodes.processor() / runs;
    state.counters["mainCpuMs"] = pane.processor / runs;
    state.counters["readerCpuMs"] = reader.processor / runs;
    state.counters["cpuRatio"] = decodes.processor() / reader.processor;
    state.counters["paneCpuRatio"] = (decodes.processor() + pane.processor) / reader.processor;
    state.counters["decodesPerPreview"] = decodes.count() / runs;
}

// The pane of photo A made, shown, its picture decoded and painted; `side` is the size it asked
// for.
Timed timedPhotoPane(Fixture& f, ThumbnailCache& folders, int& side) {
    std::optional<PreviewView> view;
    const Timed spent = timed([&] {
        view.emplace(item(QStringLiteral("a.jpg"), MediaKind::photo), f.photoA, f.services(folders),
                     [] {});
        view->resize(paneSize);
        view->show();
        waitUntil([&] { return view->thumbnail()->layer() == MediaThumbnail::Layer::image; });
        paint(*view);
    });
    side = view->requestedPhotoSize();
    return spent;
}

void previewPhoto24MP(benchmark::State& state) {
    Fixture& f = fixture();
    Timed pane;
    Timed reader;
    TimedDecoder decodes;
    double onWorker = 0;
    // One thread, as the thumbnail cache's own pool: Qt's image helpers do not spread work over
    // threads from the global pool, which would make this reference slower than the pane.
    QThreadPool worker;
    worker.setMaxThreadCount(1);
    for (auto _ : state) {
        // Nothing kept from the run before.
        ThumbnailCache folders(decodes.decoder());
        int side = 0;
        pane += timedPhotoPane(f, folders, side);
        reader += timed([&] { readerMilliseconds(f.photoA, side); });
        onWorker += bench::millisecondsOf([&] {
            std::atomic<bool> done = false;
            worker.start([&] {
                readerMilliseconds(f.photoA, side);
                QMetaObject::invokeMethod(
                    &worker, [&done] { done = true; }, Qt::QueuedConnection);
            });
            waitUntil([&] { return done.load(); });
        });
        state.counters["decodedSide"] = side;
    }
    const double runs = static_cast<double>(state.iterations());
    report(state, pane.wall, reader.wall, "readerMs");
    state.counters["readerOnWorkerMs"] = onWorker / runs;
    state.counters["ratioToWorker"] = pane.wall / onWorker;
    reportProcessor(state, decodes, pane, reader);
}
BENCHMARK(previewPhoto24MP)->Iterations(8)->Unit(benchmark::kMillisecond);

// The same pane on a cache whose three decode threads are busy with the grid: the thumbnails of
// two screens of 24-megapixel photos asked for just before, as after opening a folder.
void previewPhoto24MPBehindGrid(benchmark::State& state) {
    Fixture& f = fixture();
    constexpr int gridThumbnails = 24;
    Timed pane;
    Timed reader;
    for (auto _ : state) {
        ThumbnailCache folders;
        QObject grid;
        for (int n = 0; n < gridThumbnails; ++n) {
            // A size of its own for each, so that no two share a decode.
            folders.image(n % 2 == 0 ? f.photoA : f.photoB, item(QString(), MediaKind::photo),
                          300 + n, &grid, [](const QImage&) {});
        }
        int side = 0;
        pane += timedPhotoPane(f, folders, side);
        reader += timed([&] { readerMilliseconds(f.photoA, side); });
    }
    report(state, pane.wall, reader.wall, "readerMs");
    state.counters["mainCpuMs"] = pane.processor / static_cast<double>(state.iterations());
}
BENCHMARK(previewPhoto24MPBehindGrid)->Iterations(4)->Unit(benchmark::kMillisecond);

void previewNextPhoto24MP(benchmark::State& state) {
    Fixture& f = fixture();
    QWidget window;
    window.resize(1280, 840);
    // A cache of its own for each pane, so that no decode is kept from an earlier move.
    std::vector<std::unique_ptr<ThumbnailCache>> caches;
    TimedDecoder decodes;
    int shown = 0;
    ResizableMediaPreview* card = nullptr;
    auto showItem = [&](int n) {
        const QString name = n % 2 == 0 ? QStringLiteral("a.jpg") : QStringLiteral("b.jpg");
        caches.push_back(std::make_unique<ThumbnailCache>(decodes.decoder()));
        card->setContent(new PreviewView(item(name, MediaKind::photo),
                                         n % 2 == 0 ? f.photoA : f.photoB,
                                         f.services(*caches.back()), [] {}));
    };
    UserDefaults& defaults = f.defaults;
    defaults.setDouble(QStringLiteral("Lumivex.settings.previewWidth"), 1240);
    defaults.setDouble(QStringLiteral("Lumivex.settings.previewHeight"), 800);
    card = new ResizableMediaPreview(
        defaults, [&](GridNavigationDirection) { showItem(++shown); }, [](int) { return false; },
        &window);
    window.show();
    card->show();
    showItem(0);
    window.activateWindow();
    static_cast<void>(QTest::qWaitForWindowActive(&window));
    Timed pane;
    Timed reader;
    // The first pane's decode, made before the timing, is not counted.
    waitUntil([&] {
        return static_cast<PreviewView*>(card->content())->thumbnail()->layer() ==
               MediaThumbnail::Layer::image;
    });
    decodes.reset();
    for (auto _ : state) {
        PreviewView* view = nullptr;
        pane += timed([&] {
            QTest::keyClick(&window, Qt::Key_Period);
            view = static_cast<PreviewView*>(card->content());
            waitUntil([&] { return view->thumbnail()->layer() == MediaThumbnail::Layer::image; });
            paint(*view);
        });
        reader += timed([&] {
            readerMilliseconds(shown % 2 == 0 ? f.photoA : f.photoB, view->requestedPhotoSize());
        });
    }
    report(state, pane.wall, reader.wall, "readerMs");
    reportProcessor(state, decodes, pane, reader);
}
BENCHMARK(previewNextPhoto24MP)->Iterations(8)->Unit(benchmark::kMillisecond);

void previewVideoFirstFrame(benchmark::State& state, bool av1) {
    Fixture& f = fixture();
    const QString path = av1 ? f.av1 : f.h264;
    if (av1) {
        QFuture<QString> copy = VideoCompatibility::playbackURL(path, f.cache, [](double) {});
        waitUntil([&] { return copy.isFinished(); });
        if (copy.resultCount() == 0) {
            state.SkipWithError("the AV1 clip's copy was not made");
            return;
        }
    }
    auto* widget = f.session.view().findChild<QVideoWidget*>();
    double pane = 0;
    double reader = 0;
    for (auto _ : state) {
        ThumbnailCache folders;
        bool framed = false;
        // Heard on the main thread, whichever thread hands the frame over.
        QObject receiver;
        QObject::connect(widget->videoSink(), &QVideoSink::videoFrameChanged, &receiver,
                         [&](const QVideoFrame& frame) { framed = framed || frame.isValid(); });
        QElapsedTimer timer;
        timer.start();
        {
            PreviewView view(item(QStringLiteral("clip.mp4"), MediaKind::video), path,
                             f.services(folders), [] {});
            view.resize(paneSize);
            view.show();
            waitUntil([&] { return framed; });
            pane += static_cast<double>(timer.nsecsElapsed()) / 1e6;
        }
        QElapsedTimer own;
        own.start();
        const std::atomic<bool> cancelled = false;
        const QImage frame = VideoFrame::grab(path, 0, paneSize.width(), cancelled);
        benchmark::DoNotOptimize(frame.constBits());
        reader += static_cast<double>(own.nsecsElapsed()) / 1e6;
    }
    report(state, pane, reader, "mediaFirstFrameMs");
}
BENCHMARK_CAPTURE(previewVideoFirstFrame, h264, false)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(previewVideoFirstFrame, av1Copied, true)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

DeletedArchive archiveOf(int count) {
    DeletedArchive archive;
    Category people{
        QUuid::createUuid(), QStringLiteral("사람"), PropertyKind::multiSelect, {}, std::nullopt};
    archive.categories = {people};
    for (int i = 0; i < count; ++i) {
        MediaItem made =
            item(QStringLiteral("%1/Trip %2/IMG_%3.JPG").arg(2020 + i % 5).arg(i % 40).arg(i),
                 MediaKind::photo);
        made.rating = i % 6;
        made.notes = i % 7 == 0 ? QStringLiteral("바닷가에서 찍은 사진 %1").arg(i) : QString();
        made.labels.insert_or_assign(
            people.idText(),
            QStringList{QStringLiteral("민수"), QStringLiteral("지영%1").arg(i % 9)});
        archive.records.append({made, Date{1800000000.0 - i * 30.0}});
    }
    return archive;
}

void deletedRecordsOpen(benchmark::State& state) {
    const DeletedArchive archive = archiveOf(static_cast<int>(state.range(0)));
    test::ManualClock clock{Date{1800000000.0}};
    double total = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        DeletedRecordsView view(archive, false, clock, [] {});
        view.show();
        paint(view);
        total += static_cast<double>(timer.nsecsElapsed()) / 1e6;
    }
    state.counters["ms"] = total / static_cast<double>(state.iterations());
    state.counters["ofFrame"] = total / static_cast<double>(state.iterations()) / frameMilliseconds;
}
// With no record: what the panel's own widgets cost, against which the records' share shows.
BENCHMARK(deletedRecordsOpen)->Arg(0)->Arg(10000)->Iterations(20)->Unit(benchmark::kMillisecond);

void deletedRecordsKeystroke10k(benchmark::State& state) {
    const DeletedArchive archive = archiveOf(10000);
    test::ManualClock clock{Date{1800000000.0}};
    DeletedRecordsView view(archive, false, clock, [] {});
    view.show();
    paint(view);
    const QStringList typed{QStringLiteral("t"),      QStringLiteral("tr"), QStringLiteral("tri"),
                            QStringLiteral("trip 1"), QStringLiteral("민"), QStringLiteral("")};
    double total = 0;
    qsizetype next = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        view.searchField()->setText(typed[next++ % typed.size()]);
        paint(view);
        total += static_cast<double>(timer.nsecsElapsed()) / 1e6;
    }
    state.counters["ms"] = total / static_cast<double>(state.iterations());
    state.counters["ofFrame"] = total / static_cast<double>(state.iterations()) / frameMilliseconds;
}
BENCHMARK(deletedRecordsKeystroke10k)->Iterations(60)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return bench::runInApplication<QApplication>(argc, argv, [] { shared.reset(); });
}

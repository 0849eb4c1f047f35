// The main window over a folder library of 100,000 items in 1,000 folders (catalogs only; the
// first scan is held so the catalog stays as loaded), at 1280 x 840 on the offscreen platform.
//
// windowOpenLibrary100k: opening the library, then every event until the store's views are built
// off the main thread and the window has redrawn. It reports the open call itself (the catalog
// load and its publication), the catalog load alone measured in the same run, the time until the
// views were ready and the window redrawn, and the longest single event after the open call.
//
// windowRatingKey100k: a digit key on the grid with one card selected, to the window's redraw.
//
// windowRatingKeys: twenty digit keys on twenty cards right after an open, on a tree written
// more than 2 s before and on one written just before, each key timed from the key to the card
// repainted with its file saved, in wall and main-thread processor time, beside the tree load.
//
// A key is timed as a user sees it: the key handled (the rating saved), then the events the
// window posted itself, among them the paint of the region it marked dirty; the grid is not made
// to repaint more than it asked for. The viewport's paint events are watched, and the run fails
// unless the key's card was painted whole before the timing ended.
//
// windowSearchKeystroke100k: one character typed into the search field, then the filter, the
// sort, the selection pruning, every region's redraw and a full repaint of the grid's viewport.

#include "bench_run.h"
#include "browser/header_toolbar.h"
#include "browser/lumivex_view.h"
#include "browser/media_grid_model.h"
#include "browser/media_grid_view.h"
#include "browser/store_region.h"
#include "catalog/folder_catalog.h"
#include "media/photos_thumbnail_cache.h"
#include "media/thumbnail_cache.h"
#include "store/lumivex_store.h"
#include "synthetic_library.h"
#include "synthetic_store.h"

#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPaintEvent>
#include <QSignalBlocker>
#include <QTest>
#include <QThread>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <algorithm>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

using namespace lumivex;
using lumivex::bench::millisecondsOf;
using lumivex::bench::processProcessorMilliseconds;

namespace {

// Times every event the main thread handles outside another event's handling.
class TimedApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        if (depth_ > 0) {
            return QApplication::notify(receiver, event);
        }
        ++depth_;
        QElapsedTimer timer;
        timer.start();
        const bool handled = QApplication::notify(receiver, event);
        longest_ = std::max(longest_, timer.nsecsElapsed());
        --depth_;
        return handled;
    }

    void resetLongest() { longest_ = 0; }
    double longestMilliseconds() const { return static_cast<double>(longest_) / 1e6; }

private:
    int depth_ = 0;
    qint64 longest_ = 0;
};

TimedApplication* application() {
    return static_cast<TimedApplication*>(QCoreApplication::instance());
}

// Runs the event loop until nothing is left to do, with every region redrawn.
void drain(const LumivexView& window) {
    for (int turn = 0; turn < 3; ++turn) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        for (StoreRegion* region : window.findChildren<StoreRegion*>()) {
            region->refreshIfStale();
        }
    }
}

// Gathers the region a widget painted, to tell that a key's card was drawn.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* target) : target_(target) { target_->installEventFilter(this); }
    ~PaintWatch() override { target_->removeEventFilter(this); }
    PaintWatch(const PaintWatch&) = delete;
    PaintWatch& operator=(const PaintWatch&) = delete;

    void clear() { painted_ = QRegion(); }
    bool paintedWhole(const QRect& rect) const {
        return !rect.isEmpty() && QRegion(rect).subtracted(painted_).isEmpty();
    }
    // The painted area in thousands of pixels.
    double kilopixels() const {
        double area = 0;
        for (const QRect& rect : painted_) {
            area += static_cast<double>(rect.width()) * rect.height();
        }
        return area / 1e3;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == target_ && event->type() == QEvent::Paint) {
            painted_ += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }

private:
    QWidget* target_;
    QRegion painted_;
};

struct Window : bench::SyntheticStore {
    ThumbnailCache thumbnails;
    PhotosThumbnailCache photosThumbnails;
    std::unique_ptr<LumivexView> view;
    MediaGridView* grid = nullptr;

    Window() {
        view = std::make_unique<LumivexView>(*store, defaults);
        grid = new MediaGridView({store.get(), &defaults, &shell, &thumbnails, &photosThumbnails});
        view->setGrid(grid);
        view->resize(1280, 840);
        view->show();
        drain(*view);
    }
};

// Made on first use and dropped before the application ends.
std::unique_ptr<Window> shared;

Window& window() {
    if (!shared) {
        shared = std::make_unique<Window>();
    }
    return *shared;
}

// The part of the viewport an item's card covers now, empty when it is not in the grid.
QRect cardOnScreen(const Window& w, const QUuid& id) {
    const std::optional<qsizetype> row = w.grid->gridModel().row(id);
    if (!row) {
        return {};
    }
    const QModelIndex index = w.grid->gridModel().index(static_cast<int>(*row));
    return w.grid->visualRect(index) & w.grid->viewport()->rect();
}

// Opens the library again and runs the event loop until the store's views are built and the
// window has redrawn; the longest event after the open call, and the time until then. The open
// call's wall time and the processor time of every thread during it are set in `openMs`,
// `openCpuMs`.
double openAndRedraw(Window& w, double& openMs, double& openCpuMs, double& readyMs) {
    const double processorStart = processProcessorMilliseconds();
    openMs = millisecondsOf([&] { w.store->openLibrary(w.root, false, false); });
    openCpuMs = processProcessorMilliseconds() - processorStart;
    application()->resetLongest();
    readyMs = millisecondsOf([&] {
        while (w.store->derivedViewsPending()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents,
                                            5);
        }
        drain(*w.view);
        w.grid->viewport()->repaint();
    });
    return application()->longestMilliseconds();
}

void windowOpenLibrary100k(benchmark::State& state) {
    Window& w = window();
    double openMs = 0;
    double openCpuMs = 0;
    double loadMs = 0;
    double loadCpuMs = 0;
    double readyMs = 0;
    double longestMs = 0;
    for (auto _ : state) {
        const double processorStart = processProcessorMilliseconds();
        loadMs = millisecondsOf(
            [&] { benchmark::DoNotOptimize(FolderCatalog::load(w.root, std::nullopt)); });
        loadCpuMs = processProcessorMilliseconds() - processorStart;
        longestMs = openAndRedraw(w, openMs, openCpuMs, readyMs);
    }
    state.counters["catalog_load_ms"] = loadMs;
    state.counters["catalog_load_process_cpu_ms"] = loadCpuMs;
    state.counters["open_ms"] = openMs;
    state.counters["open_process_cpu_ms"] = openCpuMs;
    state.counters["views_ready_ms"] = readyMs;
    state.counters["longest_block_after_ms"] = longestMs;
}
BENCHMARK(windowOpenLibrary100k)->Iterations(3)->Unit(benchmark::kMillisecond);

// A digit key on the grid with one card selected: the rating saved, the views brought up to
// date and every region and the part of the grid the window marked dirty redrawn. Counters: the
// longest single event of the first key after the open (whose save is the first of the library),
// and the median and the largest of the longest events of the keys after it.
void windowRatingKey100k(benchmark::State& state) {
    Window& w = window();
    w.store->openLibrary(w.root, false, false);
    while (w.store->derivedViewsPending()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    }
    drain(*w.view);
    w.store->setSelection({w.store->visibleOrder().first()});
    drain(*w.view);
    w.grid->setFocus();
    const QList<Qt::Key> digits{Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5, Qt::Key_0};
    const QUuid card = w.store->visibleOrder().first();
    PaintWatch watch(w.grid->viewport());
    qsizetype next = 0;
    double firstMs = 0;
    std::vector<double> laterMs;
    for (auto _ : state) {
        application()->resetLongest();
        watch.clear();
        QTest::keyClick(w.grid, digits[next % digits.size()]);
        drain(*w.view);
        (next == 0 ? firstMs : laterMs.emplace_back()) = application()->longestMilliseconds();
        ++next;
        if (!watch.paintedWhole(cardOnScreen(w, card))) {
            state.SkipWithError("the card was not repainted");
            break;
        }
    }
    std::sort(laterMs.begin(), laterMs.end());
    state.counters["first_key_longest_event_ms"] = firstMs;
    state.counters["later_keys_longest_event_median_ms"] =
        laterMs.empty() ? 0 : laterMs[laterMs.size() / 2];
    state.counters["later_keys_longest_event_max_ms"] = laterMs.empty() ? 0 : laterMs.back();
    if (w.store->metadataHistory().undo().isEmpty()) {
        state.SkipWithError("no rating was saved");
    }
}
BENCHMARK(windowRatingKey100k)->Iterations(20)->Unit(benchmark::kMillisecond);

// Main-thread processor time in milliseconds.
double threadMilliseconds() {
    struct timespec time {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_nsec) / 1e6;
}

// Gives every metadata file of the tree the present time, as if the tree had just been written.
void touchMetadata(const QString& root) {
    QDirIterator files(root, {QStringLiteral("lumivex.csv"), QStringLiteral("deleted.csv")},
                       QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        ::utimensat(AT_FDCWD, QFile::encodeName(files.next()).constData(), nullptr, 0);
    }
}

std::int64_t ratingOf(const Window& w, const QUuid& id) {
    const MediaItems& items = w.store->library().items;
    return std::find_if(items.begin(), items.end(),
                        [&](const MediaItem& item) { return item.id == id; })
        ->rating;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Twenty digit keys on twenty different cards through the window, each from the key to the card
// repainted with its folder's files saved, right after the library was opened on a tree written
// more than 2 s before (argument 0) or just before (1). Wall and main-thread processor time of the
// first key, of keys 2-7 and of the rest, with the tree load alone measured in the same run.
void windowRatingKeys(benchmark::State& state) {
    Window& w = window();
    const bool fresh = state.range(0) == 1;
    double loadMs = 0;
    std::vector<double> wallMs;
    std::vector<double> cpuMs;
    std::vector<double> paintedKpx;
    PaintWatch watch(w.grid->viewport());
    for (auto _ : state) {
        loadMs = millisecondsOf(
            [&] { benchmark::DoNotOptimize(FolderCatalog::load(w.root, std::nullopt)); });
        if (fresh) {
            touchMetadata(w.root);
        } else {
            QThread::msleep(2100);
        }
        w.store->openLibrary(w.root, false, false);
        while (w.store->derivedViewsPending()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents,
                                            5);
        }
        drain(*w.view);
        w.grid->setFocus();
        const QList<QUuid> cards = w.store->visibleOrder().first(20);
        wallMs.clear();
        cpuMs.clear();
        paintedKpx.clear();
        for (const QUuid& card : cards) {
            w.store->setSelection({card});
            drain(*w.view);
            const int rating = static_cast<int>((ratingOf(w, card) + 1) % 6);
            watch.clear();
            const double cpuStart = threadMilliseconds();
            wallMs.push_back(millisecondsOf([&] {
                QTest::keyClick(w.grid, Qt::Key(Qt::Key_0 + rating));
                drain(*w.view);
            }));
            cpuMs.push_back(threadMilliseconds() - cpuStart);
            paintedKpx.push_back(watch.kilopixels());
            if (!watch.paintedWhole(cardOnScreen(w, card)) || ratingOf(w, card) != rating) {
                state.SkipWithError("the card was not repainted with its rating");
                return;
            }
        }
    }
    const auto slice = [](const std::vector<double>& all, std::size_t from, std::size_t to) {
        return std::vector<double>(all.begin() + from, all.begin() + to);
    };
    state.counters["tree_load_ms"] = loadMs;
    state.counters["first_wall_ms"] = wallMs[0];
    state.counters["first_cpu_ms"] = cpuMs[0];
    state.counters["keys2to7_wall_max_ms"] =
        *std::max_element(wallMs.begin() + 1, wallMs.begin() + 7);
    state.counters["keys2to7_cpu_max_ms"] = *std::max_element(cpuMs.begin() + 1, cpuMs.begin() + 7);
    state.counters["steady_wall_median_ms"] = median(slice(wallMs, 7, wallMs.size()));
    state.counters["steady_cpu_median_ms"] = median(slice(cpuMs, 7, cpuMs.size()));
    state.counters["steady_wall_max_ms"] = *std::max_element(wallMs.begin() + 7, wallMs.end());
    state.counters["painted_kpx_median"] = median(paintedKpx);
    state.counters["painted_kpx_max"] = *std::max_element(paintedKpx.begin(), paintedKpx.end());
}
BENCHMARK(windowRatingKeys)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

void windowSearchKeystroke100k(benchmark::State& state) {
    Window& w = window();
    if (w.store->source() == LibrarySource::none) {
        w.store->openLibrary(w.root, false, false);
        drain(*w.view);
    }
    QLineEdit* field = w.view->header()->searchField();
    field->setFocus();
    const QList<Qt::Key> typing{Qt::Key_1, Qt::Key_2, Qt::Key_Backspace, Qt::Key_Backspace};
    qsizetype next = 0;
    for (auto _ : state) {
        QTest::keyClick(field, typing[next % typing.size()]);
        ++next;
        drain(*w.view);
        w.grid->viewport()->repaint();
    }
    state.counters["visible_items"] = static_cast<double>(w.store->visibleItems().size());
}
BENCHMARK(windowSearchKeystroke100k)->Iterations(40)->Unit(benchmark::kMillisecond);

// The reference: the same texts through the store alone (the query and its visible items).
void storeSearchQuery100k(benchmark::State& state) {
    Window& w = window();
    const QStringList texts{QStringLiteral("1"), QStringLiteral("12"), QStringLiteral("1"),
                            QString()};
    qsizetype next = 0;
    const QSignalBlocker quiet(w.store.get());
    for (auto _ : state) {
        MediaQuery query = w.store->query();
        query.search = texts[next % texts.size()];
        ++next;
        w.store->setQuery(query);
        benchmark::DoNotOptimize(w.store->visibleItems().size());
    }
}
BENCHMARK(storeSearchQuery100k)->Iterations(40)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return bench::runInApplication<TimedApplication>(argc, argv, [] { shared.reset(); });
}

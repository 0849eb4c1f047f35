// The main window over a folder library of 100,000 items in 1,000 folders (catalogs only; the
// first scan is held so the catalog stays as loaded), at 1280 x 840 on the offscreen platform.
//
// windowOpenLibrary100k: opening the library, then every event until the window has redrawn. It
// reports the open call itself (the catalog load and its publication), the catalog load alone
// measured in the same run, and the longest single event handled on the main thread afterwards.
//
// windowSearchKeystroke100k: one character typed into the search field, then the filter, the
// sort, the selection pruning, every region's redraw and a full repaint of the grid's viewport.

#include "browser/header_toolbar.h"
#include "browser/lumivex_view.h"
#include "browser/media_grid_view.h"
#include "browser/store_region.h"
#include "catalog/folder_catalog.h"
#include "media/photos_thumbnail_cache.h"
#include "media/thumbnail_cache.h"
#include "store/lumivex_store.h"
#include "synthetic_library.h"
#include "synthetic_store.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <memory>

using namespace lumivex;

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

double millisecondsOf(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// Opens the library again and lets the window redraw; the longest event after the open call.
double openAndRedraw(Window& w, double& openMs) {
    openMs = millisecondsOf([&] { w.store->openLibrary(w.root, false, false); });
    application()->resetLongest();
    drain(*w.view);
    w.grid->viewport()->repaint();
    return application()->longestMilliseconds();
}

void windowOpenLibrary100k(benchmark::State& state) {
    Window& w = window();
    double openMs = 0;
    double loadMs = 0;
    double longestMs = 0;
    double viewsMs = 0;
    double windowLongestMs = 0;
    for (auto _ : state) {
        loadMs = millisecondsOf(
            [&] { benchmark::DoNotOptimize(FolderCatalog::load(w.root, std::nullopt)); });
        longestMs = openAndRedraw(w, openMs);
        // The same with the store's derived views (snapshot, folder scope, editable properties)
        // built before the window redraws, to tell their share from the window's own.
        w.store->openLibrary(w.root, false, false);
        viewsMs = millisecondsOf([&] {
            benchmark::DoNotOptimize(w.store->browseSnapshot().items.size());
            benchmark::DoNotOptimize(w.store->folderScope().library.items.size());
            benchmark::DoNotOptimize(w.store->editableProperties().size());
        });
        application()->resetLongest();
        drain(*w.view);
        w.grid->viewport()->repaint();
        windowLongestMs = application()->longestMilliseconds();
    }
    state.counters["catalog_load_ms"] = loadMs;
    state.counters["open_ms"] = openMs;
    state.counters["longest_block_after_ms"] = longestMs;
    state.counters["store_views_ms"] = viewsMs;
    state.counters["window_longest_block_ms"] = windowLongestMs;
}
BENCHMARK(windowOpenLibrary100k)->Iterations(3)->Unit(benchmark::kMillisecond);

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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    TimedApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    shared.reset();
    return 0;
}

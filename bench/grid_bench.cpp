// The media grid at 100,000 items in a 1280 x 840 window: the model reset after a change of the
// query (the grid's own part, and end to end with the store's filter and sort), and one paint of
// the whole viewport with every thumbnail on screen cached, at the top and deep in the grid.
// The frame of a 60 Hz display (16.7 ms) is the reference.

#include "bench_cleanup.h"
#include "browser/grid_thumbnails.h"
#include "browser/media_grid_model.h"
#include "browser/media_grid_view.h"
#include "catalog/folder_catalog.h"
#include "media/photos_thumbnail_cache.h"
#include "media/thumbnail_cache.h"
#include "store/lumivex_store.h"
#include "synthetic_library.h"
#include "synthetic_store.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLinearGradient>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>

#include <benchmark/benchmark.h>

#include <memory>

using namespace lumivex;

namespace {

// A camera-shaped picture that the fake decoder hands out at once, so only the grid is measured.
QImage decodedPicture() {
    static const QImage picture = [] {
        QImage image(360, 270, QImage::Format_RGB32);
        QPainter painter(&image);
        QLinearGradient gradient(0, 0, 360, 270);
        gradient.setColorAt(0, QColor(40, 90, 160));
        gradient.setColorAt(1, QColor(230, 170, 90));
        painter.fillRect(image.rect(), gradient);
        return image;
    }();
    return picture;
}

// The synthetic tree opened in a store whose first scan never returns, and a grid on it.
struct OpenGrid : bench::SyntheticStore {
    ThumbnailCache thumbnails{
        [](const ThumbnailSource&, const std::atomic<bool>&) { return decodedPicture(); }};
    PhotosThumbnailCache photosThumbnails;
    std::unique_ptr<MediaGridView> grid;

    OpenGrid() {
        open();
        grid = std::make_unique<MediaGridView>(MediaGridView::Services{
            store.get(), &defaults, &shell, &thumbnails, &photosThumbnails});
        grid->resize(1280, 840);
        grid->show();
    }

    // Loads the thumbnails on screen and waits for them.
    void cacheThumbnails() {
        grid->requestThumbnails();
        QElapsedTimer waited;
        waited.start();
        while (grid->thumbnails().requestsInFlight() > 0 && waited.elapsed() < 20000) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    }
};

// Made on first use and dropped after the last benchmark, while the application still lives.
OpenGrid& openGrid() {
    static std::unique_ptr<OpenGrid> instance;
    if (!instance) {
        instance = std::make_unique<OpenGrid>();
        bench::releaseBeforeExit([] { instance.reset(); });
    }
    return *instance;
}

// The grid's own part: the store's visible items are ready; the model takes them and the view
// lays out 100,000 cards.
void gridModelReset(benchmark::State& state) {
    OpenGrid& open = openGrid();
    open.store->visibleItems();
    int resets = 0;
    const QMetaObject::Connection counting = QObject::connect(
        &open.grid->gridModel(), &QAbstractItemModel::modelReset, [&resets] { ++resets; });
    for (auto _ : state) {
        Q_EMIT open.store->queryChanged();
        benchmark::DoNotOptimize(open.grid->gridLayout().contentHeight());
    }
    QObject::disconnect(counting);
    state.counters["items"] = static_cast<double>(open.grid->gridModel().rowCount());
    state.counters["resets"] = benchmark::Counter(resets, benchmark::Counter::kAvgIterations);
}

// A change of the search text, end to end: the store filters and sorts 100,000 items, and the
// grid resets.
void gridQueryChange(benchmark::State& state) {
    OpenGrid& open = openGrid();
    MediaQuery query = open.store->query();
    int turn = 0;
    for (auto _ : state) {
        query.search = (++turn % 2 == 0) ? QString() : QStringLiteral("set-0");
        open.store->setQuery(query);
        benchmark::DoNotOptimize(open.grid->gridModel().rowCount());
    }
    query.search.clear();
    open.store->setQuery(query);
}

// The store's part of the same change alone, with the grid not told: the reference for the two
// above.
void gridQueryChangeStoreAlone(benchmark::State& state) {
    OpenGrid& open = openGrid();
    MediaQuery query = open.store->query();
    int turn = 0;
    {
        const QSignalBlocker quiet(open.store.get());
        for (auto _ : state) {
            query.search = (++turn % 2 == 0) ? QString() : QStringLiteral("set-0");
            open.store->setQuery(query);
            benchmark::DoNotOptimize(open.store->visibleItems().size());
        }
        query.search.clear();
        open.store->setQuery(query);
    }
    Q_EMIT open.store->queryChanged();
}

// One paint of the whole 1280 x 840 viewport with the thumbnails on screen cached; the argument
// is the row scrolled to.
void gridViewportPaint(benchmark::State& state) {
    OpenGrid& open = openGrid();
    QScrollBar* bar = open.grid->verticalScrollBar();
    const double pitch = open.grid->gridLayout().cardHeight() + 18;
    bar->setValue(static_cast<int>(static_cast<double>(state.range(0)) * pitch));
    open.cacheThumbnails();
    QApplication::processEvents();
    for (auto _ : state) {
        open.grid->viewport()->repaint();
    }
    state.counters["columns"] = open.grid->columns();
}

}  // namespace

BENCHMARK(gridModelReset)->Unit(benchmark::kMicrosecond);
BENCHMARK(gridQueryChange)->Unit(benchmark::kMillisecond);
BENCHMARK(gridQueryChangeStoreAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(gridViewportPaint)->Arg(0)->Arg(10000)->Unit(benchmark::kMillisecond);

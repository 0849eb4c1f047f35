#include "bench_run.h"
#include "media/photo_image_manager.h"
#include "media/photos_thumbnail_cache.h"
#include "media/photos_thumbnail_loader.h"
#include "media/thumbnail_cache.h"
#include "model/library.h"
#include "platform/photo_library.h"
#include "support/media_fixtures.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

namespace {

using namespace lumivex;

constexpr int scrollItems = 100000;
constexpr int visibleItems = 60;  // a grid of six columns and ten rows
constexpr int scrollStep = 30;    // five rows per frame
constexpr int pauseEvery = 100;   // frames between two pauses long enough for every decode
constexpr double mebibyte = 1024.0 * 1024.0;

using bench::ensureCoreApplication;

// A field of /proc/self/status in KiB ("VmRSS", "VmHWM").
double statusKiB(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string name;
    while (status >> name) {
        if (name == field + ':') {
            double value = 0;
            status >> value;
            return value;
        }
    }
    return 0;
}

// Starts a new peak of resident memory from the current size.
void resetPeakResidentMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

void reportMemory(benchmark::State& state, double baselineKiB, double cacheBytes,
                  double limitBytes) {
    state.counters["peakGrowthMiB"] = (statusKiB("VmHWM") - baselineKiB) / 1024.0;
    state.counters["endGrowthMiB"] = (statusKiB("VmRSS") - baselineKiB) / 1024.0;
    state.counters["cacheMiB"] = cacheBytes / mebibyte;
    state.counters["limitMiB"] = limitBytes / mebibyte;
}

// Eight 800 x 600 JPEGs that 100,000 items point at, each item with its own identity.
struct ScrollSources {
    QTemporaryDir folder;
    QStringList paths;

    ScrollSources() {
        for (int index = 0; index < 8; ++index) {
            paths.append(folder.filePath(QStringLiteral("%1.jpg").arg(index)));
            QFile file(paths.last());
            file.open(QIODevice::WriteOnly);
            file.write(test::encodeImage(
                test::photoLikeImage(QSize(800, 600), static_cast<quint32>(index)), "jpeg", 90));
        }
    }
};

MediaItem scrollItem(int index) {
    MediaItem item;
    item.fileIdentity = QStringLiteral("scroll:%1").arg(index);
    item.size = 1;
    return item;
}

// A grid scrolled from the first to the last of 100,000 folder items: rows that leave the screen
// withdraw their requests, and every so often the scrolling pauses until the screen is drawn.
void scrollFolderLibrary100k(benchmark::State& state) {
    ensureCoreApplication();
    const ScrollSources sources;
    for (auto _ : state) {
        ThumbnailCache cache;
        QObject context;
        std::map<int, ThumbnailTicket> visible;
        int outstanding = 0;
        const double baseline = statusKiB("VmRSS");
        resetPeakResidentMemory();
        for (int first = 0, frame = 0; first < scrollItems; first += scrollStep, ++frame) {
            const int last = std::min(first + visibleItems, scrollItems);
            for (auto entry = visible.begin(); entry != visible.end();) {
                if (entry->first < first) {
                    cache.cancel(entry->second);
                    entry = visible.erase(entry);
                } else {
                    ++entry;
                }
            }
            for (int index = first; index < last; ++index) {
                if (visible.contains(index)) {
                    continue;
                }
                ++outstanding;
                const QString& path = sources.paths[index % sources.paths.size()];
                visible[index] = cache.image(path, scrollItem(index), 360, &context,
                                             [&outstanding](const QImage&) { --outstanding; });
            }
            do {
                QCoreApplication::processEvents();
            } while (frame % pauseEvery == 0 && cache.running() > 0);
        }
        reportMemory(state, baseline, static_cast<double>(cache.memoryCache().totalCost()),
                     static_cast<double>(ThumbnailCache::costLimit));
        state.counters["decodes"] = cache.decodeCount();
    }
}
BENCHMARK(scrollFolderLibrary100k)->Unit(benchmark::kMillisecond)->Iterations(1);

// Answers every request at once with a new final image of the requested size.
class InstantImageManager final : public PhotoImageManager {
public:
    PhotoImageRequestId requestImage(const PhotoAsset&, const PhotoImageRequest& request,
                                     ResultHandler onResult, ProgressHandler) override {
        QImage image(request.pixelSize, request.pixelSize, QImage::Format_RGB32);
        image.fill(Qt::gray);
        onResult({image, false, false, std::nullopt});
        return ++lastId_;
    }
    void cancelImageRequest(PhotoImageRequestId) override {}

private:
    PhotoImageRequestId lastId_ = 0;
};

// A library in which every identifier names an image asset, answered without a lookup table.
class EveryIdentifierLibrary final : public PhotoLibrary {
public:
    PhotoAuthorizationStatus authorizationStatus() const override {
        return PhotoAuthorizationStatus::authorized;
    }
    QFuture<PhotoAuthorizationStatus> requestAuthorization() override {
        return QtFuture::makeReadyFuture(PhotoAuthorizationStatus::authorized);
    }
    QList<PhotoAsset> fetchAssets(const QStringList& localIdentifiers) const override {
        QList<PhotoAsset> assets;
        for (const QString& identifier : localIdentifiers) {
            PhotoAsset asset;
            asset.localIdentifier = identifier;
            asset.mediaType = PhotoMediaType::image;
            assets.append(asset);
        }
        return assets;
    }
    QList<PhotoAsset> fetchAllAssets(const CancellationCheck&) const override { return {}; }
    QUrl playerItemUrl(const PhotoAsset&) const override { return {}; }
    QFuture<PhotoChangeOutcome> deleteAssets(const QList<PhotoAsset>&) override {
        return QtFuture::makeReadyFuture(PhotoChangeOutcome{});
    }
    ObserverId registerChangeObserver(ChangeHandler) override { return 1; }
    void unregisterChangeObserver(ObserverId) override {}
};

// The same scroll through 100,000 photo-library items at 360 pixels, each final image kept in the
// shared image cache; the cells are reused as a grid reuses its views.
void scrollPhotosLibrary100k(benchmark::State& state) {
    ensureCoreApplication();
    EveryIdentifierLibrary library;
    for (auto _ : state) {
        InstantImageManager manager;
        PhotosThumbnailCache cache;
        cache.setLibrary(&library);
        cache.setManager(&manager);
        std::vector<std::unique_ptr<PhotosThumbnailLoader>> cells;
        for (int cell = 0; cell < visibleItems; ++cell) {
            cells.push_back(std::make_unique<PhotosThumbnailLoader>(cache));
        }
        const double baseline = statusKiB("VmRSS");
        resetPeakResidentMemory();
        for (int first = 0; first < scrollItems; first += scrollStep) {
            for (int index = first; index < std::min(first + visibleItems, scrollItems); ++index) {
                cells[index % visibleItems]->load(
                    {QStringLiteral("P/%1").arg(index), 360, false, 0.0, true});
            }
            QCoreApplication::processEvents();
        }
        reportMemory(state, baseline, static_cast<double>(cache.images().totalCost()),
                     static_cast<double>(PhotosThumbnailCache::imageCostLimit));
    }
}
BENCHMARK(scrollPhotosLibrary100k)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

// Load and save of a folder library of 100,000 items in 1,000 folders, one catalog per folder.
// A single-rating save should cost a small fraction of a full load: it must rewrite one folder.
// Each figure comes with its reference from the same run (a raw read of every catalog byte for
// the load, the load for the saves): absolute times on shared machines swing threefold.

#include "bench_run.h"
#include "catalog/catalog_cache.h"
#include "catalog/folder_catalog.h"
#include "synthetic_library.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

using namespace lumivex;
using lumivex::bench::millisecondsOf;
using lumivex::bench::processProcessorMilliseconds;

namespace {

// Files younger than the coarsest time stamp step are read again on every save; the tree is
// left to settle after each write so that the measurements show the steady state.
void settle() {
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
}

std::int64_t readFile(const std::string& path, std::vector<char>& buffer) {
    std::int64_t total = 0;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    for (ssize_t count = 0; (count = ::read(fd, buffer.data(), buffer.size())) > 0;) {
        total += count;
    }
    ::close(fd);
    return total;
}

// What `find ROOT -name '*.csv' | xargs cat` costs without the processes: a walk of the tree
// by directory entry types, and every catalog file opened, read to the end and closed.
std::int64_t readEveryCatalogByte(const std::string& folder, std::vector<char>& buffer) {
    DIR* directory = ::opendir(folder.c_str());
    if (!directory) {
        return 0;
    }
    std::int64_t total = 0;
    std::vector<std::string> subfolders;
    while (const dirent* entry = ::readdir(directory)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        if (entry->d_type == DT_DIR) {
            subfolders.push_back(folder + '/' + entry->d_name);
        } else if (entry->d_type == DT_REG && name.ends_with(".csv")) {
            total += readFile(folder + '/' + entry->d_name, buffer);
        }
    }
    ::closedir(directory);
    for (const std::string& subfolder : subfolders) {
        total += readEveryCatalogByte(subfolder, buffer);
    }
    return total;
}

std::int64_t readEveryCatalogByte(const QString& root) {
    std::vector<char> buffer(1 << 16);
    return readEveryCatalogByte(QFile::encodeName(root).toStdString(), buffer);
}

// The synthetic library written as a tree once per process, and the state a load gives of it.
struct TreeOnDisk {
    QTemporaryDir folder;
    LibraryState loaded;

    TreeOnDisk() {
        LibraryState state;
        state.library = bench::syntheticLibrary();
        QSet<QString> folders;
        for (const MediaItem& item : state.library.items) {
            folders.insert(item.folder());
        }
        for (const QString& key : folders) {
            QDir(folder.path()).mkpath(key);
        }
        FolderCatalog::save(state, folder.path());
        settle();
        loaded = FolderCatalog::load(folder.path(), std::nullopt);
        FolderCatalog::save(loaded, folder.path());
        settle();
        FolderCatalog::save(loaded, folder.path());
    }
};

TreeOnDisk& tree() {
    static const std::unique_ptr<TreeOnDisk> instance = std::make_unique<TreeOnDisk>();
    return *instance;
}

void treeLoad(benchmark::State& state) {
    const QString root = tree().folder.path();
    for (auto _ : state) {
        benchmark::DoNotOptimize(FolderCatalog::load(root, std::nullopt));
    }
    state.SetItemsProcessed(state.iterations() * tree().loaded.library.items.size());
}
BENCHMARK(treeLoad)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// Each iteration reads every catalog byte raw, then loads the tree: the load as a multiple of
// the raw read, both measured side by side.
void treeLoadAgainstRawRead(benchmark::State& state) {
    const QString root = tree().folder.path();
    std::vector<double> raw;
    std::vector<double> load;
    std::int64_t bytes = 0;
    for (auto _ : state) {
        raw.push_back(millisecondsOf([&] { bytes = readEveryCatalogByte(root); }));
        load.push_back(millisecondsOf(
            [&] { benchmark::DoNotOptimize(FolderCatalog::load(root, std::nullopt)); }));
        state.SetIterationTime(load.back() / 1000.0);
    }
    state.counters["raw_ms"] = median(raw);
    state.counters["load_ms"] = median(load);
    state.counters["load_per_raw"] = median(load) / median(raw);
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(treeLoadAgainstRawRead)
    ->MeasureProcessCPUTime()
    ->UseManualTime()
    ->Iterations(7)
    ->Unit(benchmark::kMillisecond);

// The first save of a process: nothing known but what the load just read. Each iteration
// forgets everything, loads (the reference), changes one rating and saves.
void treeFirstSaveAfterLoad(benchmark::State& state) {
    const QString root = tree().folder.path();
    std::vector<double> load;
    std::vector<double> save;
    std::vector<double> loadCpu;
    std::vector<double> saveCpu;
    std::uint64_t rereads = 0;
    for (auto _ : state) {
        CatalogCache::shared().clear();
        LibraryState loaded;
        const double loadStart = processProcessorMilliseconds();
        load.push_back(millisecondsOf([&] { loaded = FolderCatalog::load(root, std::nullopt); }));
        loadCpu.push_back(processProcessorMilliseconds() - loadStart);
        MediaItem& item = loaded.library.items[state.range(0)];
        item.rating = (item.rating + 1) % 6;
        const std::uint64_t readsBefore = CatalogCache::shared().folderReads();
        const double saveStart = processProcessorMilliseconds();
        save.push_back(millisecondsOf([&] { FolderCatalog::save(loaded, root); }));
        saveCpu.push_back(processProcessorMilliseconds() - saveStart);
        state.SetIterationTime(save.back() / 1000.0);
        rereads = CatalogCache::shared().folderReads() - readsBefore;
    }
    CatalogCache::shared().clear();
    FolderCatalog::save(tree().loaded, root);
    settle();
    state.counters["load_ms"] = median(load);
    state.counters["save_ms"] = median(save);
    state.counters["save_pct_of_load"] = 100.0 * median(save) / median(load);
    state.counters["load_process_cpu_ms"] = median(loadCpu);
    state.counters["save_process_cpu_ms"] = median(saveCpu);
    state.counters["save_pct_of_load_process_cpu"] = 100.0 * median(saveCpu) / median(loadCpu);
    state.counters["folders_read_again"] = static_cast<double>(rereads);
}
BENCHMARK(treeFirstSaveAfterLoad)
    ->MeasureProcessCPUTime()
    ->Arg(0)
    ->Arg(50000)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

// Saves after the first one, each after one rating change, with loads of the same tree measured
// before and after them as the reference.
void treeLaterSaves(benchmark::State& state) {
    const QString root = tree().folder.path();
    std::vector<double> load;
    const auto measureLoad = [&] {
        load.push_back(millisecondsOf(
            [&] { benchmark::DoNotOptimize(FolderCatalog::load(root, std::nullopt)); }));
    };
    measureLoad();
    measureLoad();
    LibraryState edited = tree().loaded;
    FolderCatalog::save(edited, root);
    std::vector<double> save;
    for (auto _ : state) {
        // Taken afresh each time: the last save shares the item's storage, which a reference
        // kept from before would change under it.
        MediaItem& item = edited.library.items[state.range(0)];
        item.rating = (item.rating + 1) % 6;
        save.push_back(millisecondsOf([&] { FolderCatalog::save(edited, root); }));
        state.SetIterationTime(save.back() / 1000.0);
    }
    measureLoad();
    FolderCatalog::save(tree().loaded, root);
    settle();
    state.counters["load_ms"] = median(load);
    state.counters["save_ms"] = median(save);
    state.counters["save_pct_of_load"] = 100.0 * median(save) / median(load);
}
BENCHMARK(treeLaterSaves)
    ->MeasureProcessCPUTime()
    ->Arg(0)
    ->Arg(50000)
    ->UseManualTime()
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond);

// A rating typed on one item (the argument is its position): every save really writes that
// item's folder, as each iteration gives the item another rating than the one on disk.
void treeSaveOneRating(benchmark::State& state) {
    const QString root = tree().folder.path();
    LibraryState edited = tree().loaded;
    const qsizetype index = state.range(0);
    const std::int64_t original = edited.library.items[index].rating;
    for (auto _ : state) {
        MediaItem& item = edited.library.items[index];  // afresh: see treeLaterSaves
        item.rating = (item.rating + 1) % 6;
        FolderCatalog::save(edited, root);
    }
    edited.library.items[index].rating = original;
    FolderCatalog::save(edited, root);
    settle();
}
BENCHMARK(treeSaveOneRating)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Arg(0)
    ->Arg(500)
    ->Unit(benchmark::kMillisecond);

// Each iteration flips the rating of the first item of every folder: all 1,000 folders change.
void treeSaveEveryFolder(benchmark::State& state) {
    const QString root = tree().folder.path();
    LibraryState edited = tree().loaded;
    QList<qsizetype> firsts;
    QSet<QString> seen;
    for (qsizetype i = 0; i < edited.library.items.size(); ++i) {
        if (!seen.contains(edited.library.items[i].folder())) {
            seen.insert(edited.library.items[i].folder());
            firsts.append(i);
        }
    }
    const LibraryState original = edited;
    bool flipped = false;
    for (auto _ : state) {
        flipped = !flipped;
        for (const qsizetype index : firsts) {
            const std::int64_t rating = original.library.items[index].rating;
            edited.library.items[index].rating = flipped ? (rating + 1) % 6 : rating;
        }
        FolderCatalog::save(edited, root);
    }
    FolderCatalog::save(original, root);
    settle();
    state.counters["folders"] = static_cast<double>(firsts.size());
}
BENCHMARK(treeSaveEveryFolder)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

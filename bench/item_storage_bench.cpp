// The cost of the item list at 100,000 items: an edit of one item in a state the undo history
// also holds, and the resident memory of a freshly opened folder library with its browse
// snapshot. The one-frame budget of a 60 Hz display (16.7 ms) is the reference for edits.

#include "catalog/folder_catalog.h"
#include "synthetic_library.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <array>
#include <cstdio>
#include <deque>
#include <memory>

using namespace lumivex;

namespace {

const Library& library() {
    static const Library shared = bench::syntheticLibrary();
    return shared;
}

// How many items of `edited` are not the very items of `original`: those an edit copied.
qsizetype copiedItems(const Library& original, const Library& edited) {
    qsizetype copied = 0;
    for (qsizetype i = 0; i < edited.items.size(); ++i) {
        copied += &edited.items.at(i) != &original.items.at(i) ? 1 : 0;
    }
    return copied;
}

// One rating typed after another, each on a copy of the previous state, the last 20 states kept
// as the undo history keeps them.
void editOneRating(benchmark::State& state) {
    std::deque<Library> history{library()};
    qsizetype index = 0;
    for (auto _ : state) {
        Library edited = history.back();
        index = (index + 7919) % edited.items.size();
        edited.items[index].rating = (edited.items.at(index).rating + 1) % 6;
        history.push_back(std::move(edited));
        if (history.size() > 20) {
            history.pop_front();
        }
    }
    const Library& last = history.back();
    state.counters["copiedItems"] =
        static_cast<double>(copiedItems(history[history.size() - 2], last));
}
BENCHMARK(editOneRating)->Unit(benchmark::kMicrosecond);

// Comparing the edited state with the one before it, as the store does to tell whether an edit
// changed anything.
void compareEditedState(benchmark::State& state) {
    Library edited = library();
    edited.items[50000].rating = (edited.items.at(50000).rating + 1) % 6;
    for (auto _ : state) {
        benchmark::DoNotOptimize(edited == library());
    }
}
BENCHMARK(compareEditedState)->Unit(benchmark::kMicrosecond);

QString probePath() {
    std::array<char, 4096> path{};
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    const QString self = QString::fromLocal8Bit(path.data(), length < 0 ? 0 : length);
    return QFileInfo(self).absolutePath() + QStringLiteral("/lumivex_resident_memory_probe");
}

// The synthetic library written as a folder tree; a fresh process opens it and builds the
// snapshot, and reports its resident memory per item. The reference is the catalog bytes on
// disk per item.
void residentMemoryAfterLoad(benchmark::State& state) {
    static const auto folder = [] {
        auto made = std::make_unique<QTemporaryDir>();
        LibraryState tree;
        tree.library = library();
        for (const MediaItem& item : tree.library.items) {
            QDir(made->path()).mkpath(item.folder());
        }
        FolderCatalog::save(tree, made->path());
        return made;
    }();
    long long items = 0, before = 0, after = 0, trimmed = 0;
    for (auto _ : state) {
        const QByteArray command =
            (probePath() + u' ' + folder->path()).toLocal8Bit();  // temporary names need no quotes
        FILE* output = popen(command.constData(), "r");
        if (output == nullptr ||
            std::fscanf(output, "%lld %lld %lld %lld", &items, &before, &after, &trimmed) != 4) {
            state.SkipWithError("the probe did not run");
        }
        if (output != nullptr) {
            pclose(output);
        }
    }
    if (items > 0) {
        state.counters["bytesPerItem"] = static_cast<double>(after - before) / items;
        state.counters["bytesPerItemTrimmed"] = static_cast<double>(trimmed - before) / items;
    }
}
BENCHMARK(residentMemoryAfterLoad)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

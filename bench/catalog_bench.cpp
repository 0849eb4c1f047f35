#include "synthetic_library.h"

#include "model/library.h"

#include <benchmark/benchmark.h>

#include <QHash>

using namespace lumivex;

namespace {

// The synthetic tree split as the tree catalog writes it: one library per leaf folder, each
// item's name relative to its folder.
const QList<Library>& folderLibraries() {
    static const QList<Library> folders = [] {
        const Library tree = bench::syntheticLibrary();
        QHash<QString, qsizetype> indexOf;
        QList<Library> result;
        for (const MediaItem& item : tree.items) {
            const QString folder = item.folder();
            auto found = indexOf.constFind(folder);
            if (found == indexOf.constEnd()) {
                Library library = Library::withContents(tree.categories, {});
                library.includeSubfolders = tree.includeSubfolders;
                result.append(std::move(library));
                found = indexOf.insert(folder, result.size() - 1);
            }
            MediaItem local = item;
            local.filename = item.filename.mid(folder.size() + 1);
            result[*found].items.append(std::move(local));
        }
        return result;
    }();
    return folders;
}

const QStringList& folderTexts() {
    static const QStringList texts = [] {
        QStringList result;
        for (const Library& library : folderLibraries()) {
            result.append(library.catalogCSV());
        }
        return result;
    }();
    return texts;
}

const Library& wholeLibrary() {
    static const Library library = bench::syntheticLibrary();
    return library;
}

void renderTree(benchmark::State& state) {
    const QList<Library>& folders = folderLibraries();
    for (auto _ : state) {
        for (const Library& library : folders) {
            benchmark::DoNotOptimize(library.catalogCSV());
        }
    }
    state.counters["folders"] = static_cast<double>(folders.size());
}
BENCHMARK(renderTree)->Unit(benchmark::kMillisecond);

void parseTree(benchmark::State& state) {
    const QStringList& texts = folderTexts();
    for (auto _ : state) {
        for (const QString& text : texts) {
            benchmark::DoNotOptimize(Library::fromCatalogCSV(text));
        }
    }
}
BENCHMARK(parseTree)->Unit(benchmark::kMillisecond);

void renderOneFile(benchmark::State& state) {
    const Library& library = wholeLibrary();
    for (auto _ : state) {
        benchmark::DoNotOptimize(library.catalogCSV());
    }
}
BENCHMARK(renderOneFile)->Unit(benchmark::kMillisecond);

void parseOneFile(benchmark::State& state) {
    const QString text = wholeLibrary().catalogCSV();
    for (auto _ : state) {
        benchmark::DoNotOptimize(Library::fromCatalogCSV(text));
    }
    state.counters["MB"] = static_cast<double>(text.toUtf8().size()) / 1e6;
}
BENCHMARK(parseOneFile)->Unit(benchmark::kMillisecond);

void exportOneFile(benchmark::State& state) {
    const Library& library = wholeLibrary();
    for (auto _ : state) {
        benchmark::DoNotOptimize(library.csv());
    }
}
BENCHMARK(exportOneFile)->Unit(benchmark::kMillisecond);

}  // namespace

#include "model/capture_date_reader.h"
#include "model/media_scanner.h"
#include "support/media_fixtures.h"
#include "synthetic_library.h"
#include "tree_walk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>
#include <stdexcept>

namespace {

using namespace lumivex;

constexpr int treeFiles = 100000;
constexpr int treeFolders = 1000;

void writeBytes(const QByteArray& path, const QByteArray& bytes) {
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0 ||
        ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())) != bytes.size()) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
    ::close(fd);
}

QByteArray datedJpeg(const QString& folder) {
    const QString path = folder + QStringLiteral("/template.jpg");
    test::writeJpeg(path, {.original = "2024:05:01 12:00:00", .originalOffset = "+09:00"});
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    file.remove();
    return bytes;
}

// 100,000 small dated JPEGs in 1,000 leaf folders two levels deep, made once per process.
struct Tree {
    QTemporaryDir root;
    QList<MediaItem> previous;

    Tree() {
        const QByteArray jpeg = datedJpeg(root.path());
        for (int i = 0; i < treeFiles; ++i) {
            const QString folder = bench::syntheticFolder(i, treeFiles, treeFolders);
            if (i % (treeFiles / treeFolders) == 0) {
                QDir(root.path()).mkpath(folder);
            }
            writeBytes(QFile::encodeName(root.path() + u'/' + folder +
                                         QStringLiteral("/IMG_%1.jpg").arg(i, 6, 10, QChar(u'0'))),
                       jpeg);
        }
        previous =
            MediaScanner::scanFolder(root.path(), {}, true, &Date::now, [] { return false; });
    }
};

const Tree& tree() {
    static const Tree shared;
    return shared;
}

void rescanUnchangedTree(benchmark::State& state) {
    const Tree& shared = tree();
    for (auto _ : state) {
        const QList<MediaItem> items = MediaScanner::scanFolder(
            shared.root.path(), shared.previous, true, &Date::now, [] { return false; });
        benchmark::DoNotOptimize(items.size());
    }
    state.SetItemsProcessed(state.iterations() * treeFiles);
}
BENCHMARK(rescanUnchangedTree)->Unit(benchmark::kMillisecond);

void walkTreeWithReaddirAndStatx(benchmark::State& state) {
    const QByteArray root = QFile::encodeName(tree().root.path());
    for (auto _ : state) {
        benchmark::DoNotOptimize(bench::walkTree(root));
    }
    state.SetItemsProcessed(state.iterations() * treeFiles);
}
BENCHMARK(walkTreeWithReaddirAndStatx)->Unit(benchmark::kMillisecond);

void readJpegCaptureDates(benchmark::State& state) {
    constexpr int count = 2000;
    QTemporaryDir folder;
    const QByteArray jpeg = datedJpeg(folder.path());
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        paths.append(folder.path() + QStringLiteral("/%1.jpg").arg(i));
        writeBytes(QFile::encodeName(paths.last()), jpeg);
    }
    for (auto _ : state) {
        for (const QString& path : paths) {
            benchmark::DoNotOptimize(CaptureDateReader::imageDate(path));
        }
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(readJpegCaptureDates)->Unit(benchmark::kMillisecond);

}  // namespace

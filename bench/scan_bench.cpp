#include "model/capture_date_reader.h"
#include "model/media_scanner.h"
#include "one_process_run.h"
#include "support/media_fixtures.h"
#include "synthetic_library.h"
#include "tree_walk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

// The scanner works on spare cores: its benchmarks give the whole process's processor time (the
// CPU column) beside the wall time, and find's is its own, as cpuMs.
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

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    file.remove();
    return bytes;
}

QByteArray datedJpeg(const QString& folder) {
    const QString path = folder + QStringLiteral("/template.jpg");
    test::writeJpeg(path, {.original = "2024:05:01 12:00:00", .originalOffset = "+09:00"});
    return bytesOf(path);
}

QByteArray datedClip(const QString& folder) {
    const QString path = folder + QStringLiteral("/template.mov");
    test::writeVideo(path, {.quickTimeCreationDate = "2024-05-01T21:00:00+0900"});
    return bytesOf(path);
}

// 100,000 small dated files in 1,000 leaf folders two levels deep, four JPEGs with EXIF to one
// QuickTime clip, each folder with a catalog file that is neither; made once per process.
struct Tree {
    QTemporaryDir root;
    QList<MediaItem> previous;

    Tree() {
        const QByteArray jpeg = datedJpeg(root.path());
        const QByteArray clip = datedClip(root.path());
        for (int i = 0; i < treeFiles; ++i) {
            const QString folder =
                root.path() + u'/' + bench::syntheticFolder(i, treeFiles, treeFolders) + u'/';
            if (i % (treeFiles / treeFolders) == 0) {
                QDir().mkpath(folder);
                writeBytes(QFile::encodeName(folder + QStringLiteral("lumivex.csv")), "id\n");
            }
            const bool video = i % 5 == 4;
            const QString name = QStringLiteral("IMG_%1.%2")
                                     .arg(i, 6, 10, QChar(u'0'))
                                     .arg(video ? QStringLiteral("mov") : QStringLiteral("jpg"));
            writeBytes(QFile::encodeName(folder + name), video ? clip : jpeg);
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
BENCHMARK(rescanUnchangedTree)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void walkTreeWithReaddirAndStatx(benchmark::State& state) {
    const QByteArray root = QFile::encodeName(tree().root.path());
    for (auto _ : state) {
        benchmark::DoNotOptimize(bench::walkTree(root));
    }
    state.SetItemsProcessed(state.iterations() * treeFiles);
}
BENCHMARK(walkTreeWithReaddirAndStatx)->Unit(benchmark::kMillisecond);

// What a user would compare a rescan with: find printing what a rescan looks at, to /dev/null.
// Its processor time is the child's, given as cpuMs beside the wall time.
void findPrintingIdentitySizeAndDate(benchmark::State& state) {
    const QByteArray root = QFile::encodeName(tree().root.path());
    const double processorBefore = bench::processorSeconds(RUSAGE_CHILDREN);
    for (auto _ : state) {
        const pid_t child = ::fork();
        if (child == 0) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, STDOUT_FILENO);
            ::execlp("find", "find", root.constData(), "-printf", "%i %s %T@\\n", nullptr);
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("find failed");
        }
    }
    state.counters["cpuMs"] = (bench::processorSeconds(RUSAGE_CHILDREN) - processorBefore) *
                              1000.0 / static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations() * treeFiles);
}
BENCHMARK(findPrintingIdentitySizeAndDate)->Unit(benchmark::kMillisecond)->UseRealTime();

// The first scan, with no previous records: every media file is opened for its capture date.
void scanTreeFirstTime(benchmark::State& state) {
    const Tree& shared = tree();
    for (auto _ : state) {
        const QList<MediaItem> items = MediaScanner::scanFolder(shared.root.path(), {}, true,
                                                                &Date::now, [] { return false; });
        benchmark::DoNotOptimize(items.size());
    }
    state.SetItemsProcessed(state.iterations() * treeFiles);
}
BENCHMARK(scanTreeFirstTime)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond)->UseRealTime();

bool isMediaName(const char* name) {
    const char* dot = std::strrchr(name, '.');
    return dot != nullptr && (std::strcmp(dot, ".jpg") == 0 || std::strcmp(dot, ".mov") == 0);
}

// The floor of a first scan: the walk, and each media file opened once and its first 64 KiB read.
std::int64_t walkReadingHeads(const QByteArray& folder, std::vector<char>& head) {
    DIR* stream = ::opendir(folder.constData());
    if (stream == nullptr) {
        throw std::runtime_error("cannot open " + folder.toStdString());
    }
    std::int64_t bytes = 0;
    while (const dirent* entry = ::readdir(stream)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        if (entry->d_type == DT_DIR) {
            bytes += walkReadingHeads(folder + '/' + entry->d_name, head);
            continue;
        }
        if (!isMediaName(entry->d_name)) {
            continue;
        }
        struct statx info {};
        if (::statx(::dirfd(stream), entry->d_name, AT_SYMLINK_NOFOLLOW,
                    STATX_TYPE | STATX_SIZE | STATX_MTIME | STATX_BTIME | STATX_INO, &info) != 0) {
            throw std::runtime_error("cannot examine an entry");
        }
        const int fd = ::openat(::dirfd(stream), entry->d_name, O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            throw std::runtime_error("cannot open an entry");
        }
        bytes += ::read(fd, head.data(), head.size());
        ::close(fd);
    }
    ::closedir(stream);
    return bytes;
}

void walkTreeReadingMediaHeads(benchmark::State& state) {
    const QByteArray root = QFile::encodeName(tree().root.path());
    std::vector<char> head(64 * 1024);
    for (auto _ : state) {
        benchmark::DoNotOptimize(walkReadingHeads(root, head));
    }
    state.SetItemsProcessed(state.iterations() * treeFiles);
}
BENCHMARK(walkTreeReadingMediaHeads)->Unit(benchmark::kMillisecond);

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

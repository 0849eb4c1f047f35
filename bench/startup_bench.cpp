// The application's start with a remembered library of 100,000 items in 1,000 folders, from the
// process's start to the main window's first paint, against its references in the same run: the
// start of the same program with no library, and the full load of the same tree in a fresh
// process. The target: the start with the library takes at most the load plus the empty start.
// Each start runs lumivex_startup_probe, which builds the application as main() does (its scans
// held, so that every start finds the catalogs as written) and ends after the first paint.
//
// Counters: the three times in milliseconds, their ratio, the same for the whole processes'
// processor time (the load's process counted whole, its own start included), the part of the
// remembered start spent putting the application together (the store's open of the library and the
// windows), and how many starts asked for their automatic update check before the first paint (it
// must be none: the check follows the paint) and after it (every start: a release package checks at
// launch).

#include "catalog/folder_catalog.h"
#include "catalog/library_state.h"
#include "one_process_run.h"
#include "platform/user_defaults.h"
#include "synthetic_library.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <memory>

namespace {

using namespace lumivex;

QString probe() {
    std::array<char, 4096> path{};
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    const QString self = QString::fromLocal8Bit(path.data(), length < 0 ? 0 : length);
    return QFileInfo(self).absolutePath() + QStringLiteral("/lumivex_startup_probe");
}

// The tree, and two home folders: one whose user defaults remember it, one empty.
struct StartupFolders {
    QTemporaryDir folder;
    QString root = folder.path() + QStringLiteral("/library");
    QString remembering = folder.path() + QStringLiteral("/remembering");
    QString empty = folder.path() + QStringLiteral("/empty");

    StartupFolders() {
        LibraryState tree;
        tree.library = bench::syntheticLibrary();
        for (const MediaItem& item : tree.library.items) {
            QDir(root).mkpath(item.folder());
        }
        FolderCatalog::save(tree, root);
        QDir().mkpath(empty);
        UserDefaults defaults(remembering + QStringLiteral("/.config/Lumivex/defaults.json"));
        defaults.setText(QStringLiteral("Lumivex.source"), QStringLiteral("folder"));
        defaults.setText(QStringLiteral("Lumivex.libraryRoot"), root);
    }
};

struct ProbeRun {
    double wallMs = -1;
    double processorMs = 0;  // the whole child process's, every thread
    QByteArray printed;
};

// Runs the probe to its end: its wall and processor time in milliseconds and what it printed.
ProbeRun runProbe(const QStringList& arguments, const QString& home) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
    process.setProcessEnvironment(environment);
    const double childrenBefore = bench::processorSeconds(RUSAGE_CHILDREN);
    QElapsedTimer timer;
    timer.start();
    process.start(probe(), arguments);
    process.waitForFinished(120000);
    const double elapsed = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        return {.printed = process.readAllStandardError()};
    }
    return {elapsed, (bench::processorSeconds(RUSAGE_CHILDREN) - childrenBefore) * 1000,
            process.readAllStandardOutput().trimmed()};
}

void startupToFirstPaint100k(benchmark::State& state) {
    static const auto folders = std::make_unique<StartupFolders>();
    double remembered = 0;
    double empty = 0;
    double load = 0;
    double rememberedCpu = 0;
    double emptyCpu = 0;
    double loadProcessCpu = 0;
    int checksBeforePaint = 0;
    int checksAfterPaint = 0;
    double construction = 0;
    for (auto _ : state) {
        const ProbeRun withLibrary =
            runProbe({QStringLiteral("paint"), folders->remembering}, folders->remembering);
        const ProbeRun without =
            runProbe({QStringLiteral("paint"), folders->empty}, folders->empty);
        const ProbeRun loadProcess =
            runProbe({QStringLiteral("load"), folders->root}, folders->empty);
        if (withLibrary.wallMs < 0 || without.wallMs < 0 || loadProcess.wallMs < 0) {
            state.SkipWithError("the start-up probe failed");
            return;
        }
        remembered += withLibrary.wallMs;
        construction += withLibrary.printed.split(' ').back().toDouble();
        empty += without.wallMs;
        load += loadProcess.printed.split(' ').front().toDouble();
        rememberedCpu += withLibrary.processorMs;
        emptyCpu += without.processorMs;
        loadProcessCpu += loadProcess.processorMs;
        for (const QByteArray& printed : {withLibrary.printed, without.printed}) {
            checksBeforePaint += int(printed.startsWith("before"));
            checksAfterPaint += int(printed.startsWith("after"));
        }
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["remembered_ms"] = remembered / runs;
    state.counters["no_library_ms"] = empty / runs;
    state.counters["tree_load_ms"] = load / runs;
    state.counters["remembered_construction_ms"] = construction / runs;
    state.counters["ratio_to_load_plus_empty"] = remembered / (load + empty);
    state.counters["remembered_cpu_ms"] = rememberedCpu / runs;
    state.counters["no_library_cpu_ms"] = emptyCpu / runs;
    state.counters["load_process_cpu_ms"] = loadProcessCpu / runs;
    state.counters["cpu_ratio_to_load_plus_empty"] = rememberedCpu / (loadProcessCpu + emptyCpu);
    state.counters["checks_before_paint"] = checksBeforePaint;
    state.counters["checks_after_paint"] = checksAfterPaint;
}

}  // namespace

BENCHMARK(startupToFirstPaint100k)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

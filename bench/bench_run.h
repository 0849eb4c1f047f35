#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QtGlobal>

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <functional>

namespace lumivex::bench {

// The wall time `work` takes, in milliseconds.
template <typename Work>
double millisecondsOf(Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// The processor time every thread of this process has used so far, in milliseconds: set beside
// the wall time of work that spreads over spare cores.
inline double processProcessorMilliseconds() {
    timespec used{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return static_cast<double>(used.tv_sec) * 1e3 + static_cast<double>(used.tv_nsec) / 1e6;
}

// Queued results need an event loop, and the plain benchmark main makes no application object.
inline void ensureCoreApplication() {
    static int argc = 1;
    static char name[] = "lumivex_bench";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) {
        new QCoreApplication(argc, argv);
    }
}

// Runs the benchmarks named on the command line in an `Application` (a QApplication) of their
// own, on the offscreen platform unless one is chosen. `release` lets go of what the benchmarks
// kept (widgets, above all) while the application still lives.
template <typename Application>
int runInApplication(int argc, char** argv, const std::function<void()>& release) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    release();
    return 0;
}

}  // namespace lumivex::bench

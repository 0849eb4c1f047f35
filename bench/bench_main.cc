#include "bench_cleanup.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <utility>
#include <vector>

namespace {

std::vector<std::function<void()>>& releases() {
    static std::vector<std::function<void()>> all;
    return all;
}

}  // namespace

void lumivex::bench::releaseBeforeExit(std::function<void()> release) {
    releases().push_back(std::move(release));
}

// One QApplication for every benchmark, on the offscreen platform unless one is chosen: the grid's
// benchmarks paint widgets, the others only need its event loop.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const std::function<void()>& release : releases()) {
        release();
    }
    return 0;
}

#pragma once

#include <functional>

namespace lumivex::bench {

// What a benchmark keeps between its runs and must let go of while the application still lives
// (widgets, above all): released after the last benchmark, before main() ends.
void releaseBeforeExit(std::function<void()> release);

}  // namespace lumivex::bench

#include "platform/parallel_work.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <vector>

namespace lumivex {
namespace {

using ForEach = void (*)(std::size_t, const std::function<bool(std::size_t)>&);
const ForEach bothWays[] = {&ParallelWork::forEach, &ParallelWork::forEachWaiting};

TEST(ParallelWorkTest, EveryIndexRunsOnceAndNothingRunsForNoWork) {
    for (const ForEach forEach : bothWays) {
        forEach(0, [](std::size_t) -> bool {
            ADD_FAILURE() << "no index to run";
            return true;
        });
        std::vector<std::atomic<int>> runs(5000);
        forEach(runs.size(), [&](std::size_t index) {
            runs[index].fetch_add(1);
            return true;
        });
        for (std::size_t index = 0; index < runs.size(); ++index) {
            ASSERT_EQ(runs[index].load(), 1) << index;
        }
    }
}

// A caller that stops at a failure relies on every index below it having run, and on no index
// running twice; indexes above it may or may not have started.
TEST(ParallelWorkTest, AFailureStopsLaterIndexesButEveryEarlierOneRuns) {
    for (const ForEach forEach : bothWays) {
        for (const std::size_t failing : {std::size_t(0), std::size_t(700), std::size_t(1999)}) {
            std::vector<std::atomic<int>> runs(2000);
            forEach(runs.size(), [&](std::size_t index) {
                runs[index].fetch_add(1);
                return index != failing;
            });
            for (std::size_t index = 0; index < runs.size(); ++index) {
                ASSERT_LE(runs[index].load(), 1) << index;
                if (index <= failing) {
                    ASSERT_EQ(runs[index].load(), 1) << index;
                }
            }
        }
    }
}

}  // namespace
}  // namespace lumivex

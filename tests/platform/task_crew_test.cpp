#include "platform/task_crew.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

using namespace lumivex;

namespace {

// Adds two children to every task down to `depth`: 2^(depth+1) - 1 tasks in all.
void branch(TaskCrew& crew, int depth, std::atomic<int>& ran, std::atomic<int>& inside,
            std::atomic<int>& most) {
    const int now = ++inside;
    for (int seen = most.load(); now > seen && !most.compare_exchange_weak(seen, now);) {
    }
    ++ran;
    if (depth > 0) {
        for (int child = 0; child < 2; ++child) {
            crew.add([&crew, depth, &ran, &inside, &most] {
                branch(crew, depth - 1, ran, inside, most);
            });
        }
    }
    --inside;
}

}  // namespace

TEST(TaskCrew, RunsEveryTaskOnceWithAtMostItsSize) {
    for (int size : {1, 3}) {
        TaskCrew crew(size);
        std::atomic<int> ran = 0, inside = 0, most = 0;
        crew.add([&] { branch(crew, 9, ran, inside, most); });
        crew.run();
        EXPECT_EQ(ran, 1023) << size;
        EXPECT_LE(most, size);
    }
}

TEST(TaskCrew, ACrewOfOneStaysOnTheCallingThread) {
    TaskCrew crew(1);
    std::mutex mutex;
    std::set<std::thread::id> threads;
    for (int i = 0; i < 20; ++i) {
        crew.add([&] {
            const std::lock_guard lock(mutex);
            threads.insert(std::this_thread::get_id());
        });
    }
    crew.run();
    EXPECT_EQ(threads, std::set<std::thread::id>{std::this_thread::get_id()});
}

// A task waiting for one it added can only see it start on another thread.
TEST(TaskCrew, StartsAThreadForWorkThatWaits) {
    TaskCrew crew(2);
    std::atomic<bool> started = false, seen = false;
    crew.add([&] {
        crew.add([&] { started = true; });
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!started && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::yield();
        }
        seen = started.load();
    });
    crew.run();
    EXPECT_TRUE(seen);
}

// Two tasks added before the run, each waiting for the other: only two threads finish them.
TEST(TaskCrew, TasksAddedBeforeTheRunGetThreadsOfTheirOwn) {
    TaskCrew crew(2);
    std::atomic<int> arrived = 0;
    std::atomic<bool> bothSeen = true;
    for (int i = 0; i < 2; ++i) {
        crew.add([&] {
            ++arrived;
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (arrived < 2 && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::yield();
            }
            if (arrived < 2) {
                bothSeen = false;
            }
        });
    }
    crew.run();
    EXPECT_TRUE(bothSeen);
}

TEST(TaskCrew, TheFirstFailureStopsTheCrewAndIsRethrown) {
    for (int size : {1, 4}) {
        TaskCrew crew(size);
        std::atomic<int> after = 0;
        crew.add([&] {
            for (int i = 0; i < 1000; ++i) {
                crew.add([&] {
                    std::this_thread::yield();
                    ++after;
                });
            }
            throw std::runtime_error("listing failed");
        });
        try {
            crew.run();
            ADD_FAILURE() << "the failure was lost";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "listing failed");
        }
        // Alone, the failing task's thread never begins the tasks it added; with helpers, those
        // begun finish before run returns and no further one begins.
        const int ranBefore = after;
        if (size == 1) {
            EXPECT_EQ(ranBefore, 0);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(after, ranBefore);
    }
}

// The release build runs on jemalloc, which hands freed pages back within a quarter second from its
// own thread, and at once when the application settles; the sanitizer build keeps the system
// allocator and has nothing to check here.

#if LUMIVEX_JEMALLOC
#include "app/allocator_options.h"

#include <jemalloc/jemalloc.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

namespace {

template <typename Value>
Value option(const char* name) {
    Value value{};
    std::size_t size = sizeof(value);
    EXPECT_EQ(mallctl(name, &value, &size, nullptr, 0), 0) << name;
    return value;
}

// Without the background thread nothing would purge a process that stopped allocating.
TEST(AllocatorOptions, FreedPagesGoBackWithinAQuarterSecondByThemselves) {
    EXPECT_TRUE(option<bool>("opt.background_thread"));
    EXPECT_TRUE(option<bool>("background_thread"));
    EXPECT_EQ(option<ssize_t>("opt.dirty_decay_ms"), 250);
    EXPECT_EQ(option<ssize_t>("opt.muzzy_decay_ms"), 0);
    EXPECT_EQ(option<ssize_t>("arenas.dirty_decay_ms"), 250);
}

std::size_t dirtyPages() {
    std::uint64_t epoch = 1;
    EXPECT_EQ(mallctl("epoch", nullptr, nullptr, &epoch, sizeof(epoch)), 0);
    return option<std::size_t>("stats.arenas.4096.pdirty");
}

TEST(AllocatorOptions, ReleasingLeavesNoFreedPageResident) {
    for (int round = 0; round < 4; ++round) {
        void* volatile block = std::malloc(4 << 20);  // a decode's buffer
        ASSERT_NE(block, nullptr);
        static_cast<char*>(block)[0] = 1;
        std::free(block);
    }
    lumivex::AllocatorOptions::releaseFreedPages();
    EXPECT_EQ(dirtyPages(), 0U);
}

// Were the system's malloc found first, jemalloc would be linked and never used.
TEST(AllocatorOptions, MallocIsTheLinkedAllocators) {
    std::uint64_t* counter = option<std::uint64_t*>("thread.allocatedp");
    const std::uint64_t before = *counter;
    void* volatile block = std::malloc(1 << 20);
    ASSERT_NE(block, nullptr);
    EXPECT_GE(*counter - before, std::uint64_t{1} << 20);
    std::free(block);
}

}  // namespace
#endif

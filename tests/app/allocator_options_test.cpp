// The release build runs on jemalloc with its freed pages handed back at once; the sanitizer build
// keeps the system allocator and has nothing to check here.

#if LUMIVEX_JEMALLOC
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

TEST(AllocatorOptions, FreedPagesGoBackAtOnce) {
    EXPECT_EQ(option<ssize_t>("opt.dirty_decay_ms"), 0);
    EXPECT_EQ(option<ssize_t>("opt.muzzy_decay_ms"), 0);
    EXPECT_EQ(option<ssize_t>("arenas.dirty_decay_ms"), 0);
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

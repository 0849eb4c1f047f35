#include "heap_in_use.h"

#if LUMIVEX_JEMALLOC
#include <jemalloc/jemalloc.h>
#else
#include <malloc.h>
#endif

#include <cstddef>

namespace lumivex::bench {

std::int64_t heapInUse() {
#if LUMIVEX_JEMALLOC
    // jemalloc counts per thread and sums up only when the epoch moves.
    std::uint64_t epoch = 1;
    mallctl("epoch", nullptr, nullptr, &epoch, sizeof(epoch));
    std::size_t allocated = 0;
    std::size_t size = sizeof(allocated);
    mallctl("stats.allocated", &allocated, &size, nullptr, 0);
    return static_cast<std::int64_t>(allocated);
#else
    const struct mallinfo2 info = ::mallinfo2();
    return static_cast<std::int64_t>(info.uordblks + info.hblkhd);
#endif
}

}  // namespace lumivex::bench

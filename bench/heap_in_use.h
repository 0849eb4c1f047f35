#pragma once

#include <cstdint>

namespace lumivex::bench {

// Bytes the allocator has handed out and not taken back: jemalloc's count where the program links
// it, as the application does, else the system allocator's (small blocks and mapped ones alike).
std::int64_t heapInUse();

}  // namespace lumivex::bench

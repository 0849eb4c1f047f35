// The options of the allocator the release build links (jemalloc). Freed pages go back to the
// system within a quarter of a second, from jemalloc's own background thread, rather than at every
// free: the thumbnail and preview decodes free and allocate buffers of megabytes in turn, and pages
// handed back at every free were faulted in again at every decode (a 720p video frame took twice
// as long). The open's and the scan's temporaries are handed back when the application settles
// (releaseFreedPages), so that what it keeps from then on is what it uses. jemalloc reads this
// symbol before the first allocation, so it holds for the static initializers too. The sanitizer
// and fuzz builds keep the system allocator, which AddressSanitizer replaces.

#include "app/allocator_options.h"

#if LUMIVEX_JEMALLOC
#include <jemalloc/jemalloc.h>

const char* malloc_conf = "background_thread:true,dirty_decay_ms:250,muzzy_decay_ms:0";
#endif

namespace lumivex::AllocatorOptions {

void releaseFreedPages() {
#if LUMIVEX_JEMALLOC
    static_assert(MALLCTL_ARENAS_ALL == 4096, "the name below addresses every arena");
    mallctl("arena.4096.purge", nullptr, nullptr, nullptr, 0);
#endif
}

}  // namespace lumivex::AllocatorOptions

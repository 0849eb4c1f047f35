// The options of the allocator the release build links (jemalloc): pages freed go back to the
// system at once instead of after ten seconds, since what the process keeps after opening a large
// library is mostly pages its worker threads freed. jemalloc reads this symbol before the first
// allocation, so it holds for the static initializers too. The sanitizer and fuzz builds keep the
// system allocator, which AddressSanitizer replaces, and leave this file empty.

#if LUMIVEX_JEMALLOC
#include <jemalloc/jemalloc.h>

const char* malloc_conf = "dirty_decay_ms:0,muzzy_decay_ms:0";
#endif

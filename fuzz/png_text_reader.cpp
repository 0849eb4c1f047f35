// Reads arbitrary bytes as a PNG file for its "Creation Time" text chunk, as photos from anywhere
// are read: the chunk walk must stay inside the file whatever its lengths say, and inflating a
// compressed chunk must stop at its limit.
#include "memory_file.h"
#include "model/png_text.h"
#include "platform/error.h"
#include "platform/read_only_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static MemoryFile file;
    try {
        const lumivex::ReadOnlyFile opened(file.hold(data, size));
        (void)lumivex::PngText::creationTime(opened);
    } catch (const lumivex::Error&) {
        std::abort();  // a file in memory can always be read
    }
    return 0;
}

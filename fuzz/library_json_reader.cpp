// Reads arbitrary bytes as an older "library.json". Whatever the reader accepts, the writer must
// encode as a document the reader accepts again and that encodes to the same bytes, or the
// migration of that library would lose or change records.
#include "model/library_json.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    lumivex::Library library;
    try {
        library = lumivex::LibraryJson::decode(bytes);
    } catch (const lumivex::Error&) {
        return 0;
    }
    try {
        const QByteArray encoded = lumivex::LibraryJson::encode(library);
        const lumivex::Library again = lumivex::LibraryJson::decode(encoded);
        if (again.items.size() != library.items.size() ||
            lumivex::LibraryJson::encode(again) != encoded) {
            std::abort();
        }
    } catch (const lumivex::Error&) {
        std::abort();
    }
    return 0;
}

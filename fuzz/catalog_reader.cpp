// Reads arbitrary bytes as a catalog file. Whatever the reader accepts, the writer must render as
// a catalog the reader accepts again, or every later save of that library would fail, and reads
// back exactly: writing it once more gives the same text.
#include "model/csv_codec.h"
#include "model/library.h"
#include "platform/error.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    lumivex::Library library;
    try {
        library = lumivex::Library::fromCatalogCSV(lumivex::CSVCodec::text(bytes));
    } catch (const lumivex::Error&) {
        return 0;
    }
    try {
        const lumivex::Library again = lumivex::Library::fromCatalogCSV(library.catalogCSV());
        if (again.items.size() != library.items.size() ||
            again.catalogCSV() != library.catalogCSV()) {
            std::abort();
        }
    } catch (const lumivex::Error&) {
        std::abort();
    }
    return 0;
}

#include "catalog/library_disk.h"
#include "platform/error.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// The journal reader either throws or gives two texts that the journal writer writes back in a
// form the reader reads back exactly.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumivex;
    LibraryDisk::PendingWrite write;
    try {
        write = LibraryDisk::decodePendingWrite(
            QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    } catch (const Error&) {
        return 0;
    }
    try {
        if (LibraryDisk::decodePendingWrite(LibraryDisk::encodePendingWrite(write)) != write) {
            std::abort();
        }
    } catch (const Error&) {
        std::abort();
    }
    return 0;
}

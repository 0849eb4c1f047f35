#include "catalog/deleted_archive.h"
#include "model/csv_codec.h"
#include "platform/error.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Any text the deleted-records reader accepts must survive being written and read again, and
// read back exactly: writing it once more gives the same text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumivex;
    DeletedArchive archive;
    try {
        archive = DeletedArchive::fromCSV(
            CSVCodec::text(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))));
    } catch (const Error&) {
        return 0;
    }
    try {
        if (DeletedArchive::fromCSV(archive.csv()).csv() != archive.csv()) {
            std::abort();
        }
    } catch (const Error&) {
        std::abort();
    }
    return 0;
}

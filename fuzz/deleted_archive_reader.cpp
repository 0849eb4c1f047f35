#include "catalog/deleted_archive.h"
#include "model/csv_codec.h"
#include "platform/error.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Any text the deleted-records reader accepts must survive being written and read again.
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
        DeletedArchive::fromCSV(archive.csv());
    } catch (const Error&) {
        std::abort();
    }
    return 0;
}

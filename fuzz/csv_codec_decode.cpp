// Decodes arbitrary bytes as a catalog file's CSV; encoding what was read must read back equal.
#include "model/csv_codec.h"
#include "platform/error.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        const QList<QStringList> rows = lumivex::CSVCodec::decode(lumivex::CSVCodec::text(bytes));
        for (const QStringList& row : rows) {
            if (row.isEmpty()) {
                std::abort();
            }
        }
        // No rows encode as one empty line, which reads back as one row with one empty field.
        if (!rows.isEmpty() && lumivex::CSVCodec::decode(lumivex::CSVCodec::encode(rows)) != rows) {
            std::abort();
        }
    } catch (const lumivex::Error&) {
    }
    return 0;
}

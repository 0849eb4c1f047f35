#include "catalog/tree_journal.h"
#include "platform/error.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// The tree journal reader either throws or gives writes that the journal writer writes back in a
// form the reader reads back exactly.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumivex;
    const QString path = QStringLiteral("/fuzz/.lumivex/folders-pending.json");
    QList<FolderCatalog::Write> writes;
    try {
        writes = TreeJournal::decode(
            QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), path);
    } catch (const Error&) {
        return 0;
    }
    try {
        if (TreeJournal::decode(TreeJournal::encode(writes), path) != writes) {
            std::abort();
        }
    } catch (const Error&) {
        std::abort();
    }
    return 0;
}

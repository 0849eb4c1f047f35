#include "catalog/tree_journal.h"
#include "journal_text.h"
#include "platform/error.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

bool sameWrites(const QList<lumivex::FolderCatalog::Write>& a,
                const QList<lumivex::FolderCatalog::Write>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (withoutLeadingMarks(a[i].directory) != withoutLeadingMarks(b[i].directory) ||
            withoutLeadingMarks(a[i].identity) != withoutLeadingMarks(b[i].identity) ||
            withoutLeadingMarks(a[i].catalog) != withoutLeadingMarks(b[i].catalog) ||
            withoutLeadingMarks(a[i].archive) != withoutLeadingMarks(b[i].archive)) {
            return false;
        }
    }
    return true;
}

}  // namespace

// The tree journal reader either throws or gives writes that the journal writer writes back in a
// form the reader reads the same way.
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
        if (!sameWrites(TreeJournal::decode(TreeJournal::encode(writes), path), writes)) {
            std::abort();
        }
    } catch (const Error&) {
        std::abort();
    }
    return 0;
}

// Opens a folder library the way the application does, in a process of its own so that nothing
// else has touched the heap, and prints the resident memory it costs: one line
// "<items> <resident bytes before> <resident bytes after load and snapshot> <after malloc_trim>
// <heap bytes in use before> <heap bytes in use after>".

#include "catalog/folder_catalog.h"
#include "model/library_browse_snapshot.h"

#include <QFile>

#include <malloc.h>
#include <cstdio>

namespace {

long long residentBytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').front().toLongLong() * 1024;
        }
    }
    return -1;
}

long long heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long long>(info.uordblks + info.hblkhd);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s LIBRARY-FOLDER\n", argv[0]);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    lumivex::Library warm;  // the locale, the collator and the case folding initialised
    lumivex::LibraryBrowseSnapshot(warm, false);
    const long long before = residentBytes();
    const long long heapBefore = heapInUse();
    const lumivex::LibraryState state = lumivex::FolderCatalog::load(root, std::nullopt);
    const lumivex::LibraryBrowseSnapshot snapshot(state.library, false);
    const long long after = residentBytes();
    const long long heapAfter = heapInUse();
    malloc_trim(0);
    const long long trimmed = residentBytes();
    std::printf("%lld %lld %lld %lld %lld %lld\n", static_cast<long long>(snapshot.items.size()),
                before, after, trimmed, heapBefore, heapAfter);
    return 0;
}

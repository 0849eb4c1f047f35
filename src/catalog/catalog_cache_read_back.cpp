#include "catalog/catalog_cache.h"

#include <QThreadPool>

#include <iterator>
#include <memory>
#include <vector>

namespace lumivex {

// The parsed texts a save checks, writes and proves: the readers are strict functions of the
// text, so each pair is parsed once, whichever folder write running side by side asks first.

void CatalogCache::checkReadable(const QString& catalog, const QString& archive) {
    readBack(catalog, archive);
}

namespace {

constexpr qsizetype rememberedReadBacks = 8;
// A hold keeps the pairs of a save of many folders, but not of a save of the whole of a large
// tree, whose parsed folders together would take more memory than their texts.
constexpr qsizetype rememberedWhileHeld = 128;

}  // namespace

CatalogCache::ReadBackHold::ReadBackHold(CatalogCache& cache) : cache_(cache) {
    const QMutexLocker locker(&cache_.readableMutex_);
    ++cache_.readBackHolds_;
}

// What a save held is freed by a worker, after the save has returned: every pair is a folder's
// parsed texts, which take milliseconds to free.
CatalogCache::ReadBackHold::~ReadBackHold() {
    auto dropped = std::make_shared<std::vector<Readable>>();
    {
        const QMutexLocker locker(&cache_.readableMutex_);
        QList<Readable>& readable = cache_.readable_;
        if (--cache_.readBackHolds_ == 0 && readable.size() > rememberedReadBacks) {
            const qsizetype count = readable.size() - rememberedReadBacks;
            dropped->assign(std::make_move_iterator(readable.begin()),
                            std::make_move_iterator(readable.begin() + count));
            readable.remove(0, count);
        }
    }
    if (!dropped->empty()) {
        QThreadPool::globalInstance()->start([dropped] { dropped->clear(); });
    }
}

std::shared_ptr<const LibraryState> CatalogCache::readBack(const QString& catalog,
                                                           const QString& archive) {
    QMutexLocker locker(&readableMutex_);
    for (const Readable& known : readable_) {
        if (known.catalog == catalog && known.archive == archive) {
            return known.state;
        }
    }
    locker.unlock();
    Library library = Library::fromCatalogCSV(catalog);
    auto state = std::make_shared<const LibraryState>(
        LibraryState{std::move(library), DeletedArchive::fromCSV(archive)});
    locker.relock();
    const qsizetype remembered = readBackHolds_ == 0 ? rememberedReadBacks : rememberedWhileHeld;
    if (readable_.size() >= remembered) {
        readable_.remove(0, readable_.size() - remembered + 1);
    }
    readable_.append({catalog, archive, state});
    return state;
}

}  // namespace lumivex

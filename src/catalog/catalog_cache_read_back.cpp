#include "catalog/catalog_cache.h"

#include <QThreadPool>

#include <memory>
#include <vector>

namespace lumivex {

// The parsed texts a save checks, writes and proves: the readers are strict functions of the
// text, so each pair is parsed once, whichever folder write running side by side asks first.

void CatalogCache::checkReadable(const QString& catalog, const QString& archive) {
    readBack(catalog, archive);
}

namespace {

constexpr std::size_t rememberedReadBacks = 8;

}  // namespace

CatalogCache::ReadBackHold::ReadBackHold(CatalogCache& cache) : cache_(cache) {
    const QMutexLocker locker(&cache_.readableMutex_);
    ++cache_.readBackHolds_;
}

// What a save held is freed by a worker, after the save has returned: there is a pair for every
// folder it wrote.
CatalogCache::ReadBackHold::~ReadBackHold() {
    auto dropped = std::make_shared<std::vector<std::shared_ptr<const ReadBack>>>();
    {
        const QMutexLocker locker(&cache_.readableMutex_);
        if (--cache_.readBackHolds_ == 0) {
            while (cache_.readableOrder_.size() > rememberedReadBacks) {
                dropped->push_back(cache_.readable_.take(cache_.readableOrder_.front()));
                cache_.readableOrder_.pop_front();
            }
        }
    }
    if (!dropped->empty()) {
        QThreadPool::globalInstance()->start([dropped] { dropped->clear(); });
    }
}

std::shared_ptr<const CatalogCache::ReadBack> CatalogCache::readBack(const QString& catalog,
                                                                     const QString& archive) {
    const TextPair texts{catalog, archive};
    QMutexLocker locker(&readableMutex_);
    if (const auto known = readable_.constFind(texts); known != readable_.constEnd()) {
        return *known;
    }
    locker.unlock();
    Library library = Library::fromCatalogCSV(catalog);
    auto read = std::make_shared<ReadBack>();
    read->archive = DeletedArchive::fromCSV(archive);
    read->itemIDs.reserve(library.items.size());
    for (const MediaItem& item : library.items) {
        read->itemIDs.insert(item.id);
    }
    read->categories = std::move(library.categories);
    locker.relock();
    if (readable_.contains(texts)) {
        return readable_.value(texts);  // read meanwhile beside this one
    }
    if (readBackHolds_ == 0 && readableOrder_.size() >= rememberedReadBacks) {
        readable_.remove(readableOrder_.front());
        readableOrder_.pop_front();
    }
    readable_.insert(texts, read);
    readableOrder_.push_back(texts);
    return read;
}

}  // namespace lumivex

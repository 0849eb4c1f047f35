#pragma once

#include "catalog/catalog_cache.h"
#include "catalog/folder_catalog.h"

#include <QHash>

#include <cstdint>
#include <memory>
#include <vector>

namespace lumivex::FolderCatalog {

// Whether two texts are equal, texts that share their storage taken as equal at once.
bool sameText(const QString& a, const QString& b);
// MediaItem::operator==, cheapest fields first and shared texts taken as equal at once: most
// items of a save are copies of the ones the last save compared.
bool sameItem(const MediaItem& a, const MediaItem& b);

// Plans the writes of the folders of one save, in the order they are added, leaving out each
// folder whose files already hold its share of the state: by the folder's memo where it vouches,
// else by shaping or rendering the folder, folders side by side. Main thread, like a save.
class FolderPlanner {
public:
    FolderPlanner(const LibraryState& state, std::uint64_t generation, std::uint64_t structure,
                  std::shared_ptr<const CatalogCache::Basis> basis);
    ~FolderPlanner();
    FolderPlanner(const FolderPlanner&) = delete;
    FolderPlanner& operator=(const FolderPlanner&) = delete;

    // `mayDiffer` is false when the folder's share of the state is the one of the last finished
    // save, whose memos hold exactly that share.
    void add(const QString& key, const QString& folder,
             const std::shared_ptr<const FolderShare>& group, bool mayDiffer,
             CatalogCache::Answer answer);
    // The writes of the folders added, in their order; a failure of the first folder that met
    // one is thrown.
    QList<Write> writes();

    // The inputs of each folder's texts that writes() gave, by key.
    const QHash<QString, CatalogCache::FolderInputs>& written() const { return written_; }
    // Those texts with their bytes, the writes' journal entries, and the trials of the writes
    // (tryWrite), made beside the rendering, by key.
    QHash<QString, CatalogCache::WrittenTexts> takeTexts() { return std::move(texts_); }
    QHash<QString, QByteArray> takeJournalEntries() { return std::move(journalEntries_); }
    QHash<QString, WriteTrial> takeTrials() { return std::move(trials_); }
    // The stamps of the written folders' files as the rendering found them, by key.
    QHash<QString, CatalogStamps::Stamp> takeFound() { return std::move(found_); }
    // The keys of the folders whose files changed since the process last read or wrote them
    // (CatalogStamps): writes() leaves them out.
    const QStringList& changedOutside() const { return outside_; }

private:
    struct Rendering;
    static void render(const LibraryState& state, Rendering& rendering);

    const LibraryState& state_;
    std::uint64_t generation_;
    std::uint64_t structure_;
    std::shared_ptr<const CatalogCache::Basis> basis_;
    std::vector<Rendering> renderings_;
    QHash<QString, CatalogCache::FolderInputs> written_;
    QHash<QString, CatalogCache::WrittenTexts> texts_;
    QHash<QString, QByteArray> journalEntries_;
    QHash<QString, WriteTrial> trials_;
    QHash<QString, CatalogStamps::Stamp> found_;
    QStringList outside_;
};

}  // namespace lumivex::FolderCatalog

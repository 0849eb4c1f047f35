#include "store/metadata_undo_validation.h"

#include "catalog/folder_catalog.h"
#include "model/file_deletion_validation.h"
#include "platform/directory_listing.h"
#include "platform/parallel_work.h"

#include <QHash>
#include <QSet>

#include <cmath>
#include <exception>
#include <utility>
#include <vector>

namespace lumivex::MetadataUndoValidation {

namespace {

// Dates closer than this are the same instant written through different paths.
constexpr double dateTolerance = 0.00001;

// The date a listing gives an asset that has none, the first instant of year 1.
const Date distantPast = Date::fromSecondsSinceReference(-63114076800.0);

bool sameInstant(const Date& a, const Date& b) {
    return std::abs(a.secondsSince1970 - b.secondsSince1970) < dateTolerance;
}

// One or two texts with their hash computed once: a probe of the index compares hashes first
// and reads the texts only when they agree. The texts are views of the items' own, which outlive
// the index.
struct ItemKey {
    ItemKey(QStringView text, QStringView more = {})
        : first(text), second(more), hash(qHashMulti(0, text, more)) {}

    QStringView first;
    QStringView second;
    size_t hash;

    bool operator==(const ItemKey& other) const {
        return hash == other.hash && first == other.first && second == other.second;
    }
};

size_t qHash(const ItemKey& key, size_t seed) {
    return key.hash ^ seed;
}

using ItemIndex = QHash<ItemKey, const MediaItem*>;

// Each key maps to the one item that has it, or to nothing when several share it.
template <typename KeyOf>
ItemIndex uniqueIndex(const MediaItems& items, KeyOf keyOf) {
    ItemIndex index;
    index.reserve(items.size());
    for (const MediaItem& item : items) {
        const ItemKey key = keyOf(item);
        const auto known = index.find(key);
        if (known == index.end()) {
            index.insert(key, &item);
        } else {
            *known = nullptr;
        }
    }
    return index;
}

// The one item of `key`, which no later lookup gets again: two files or assets never match the
// same item.
const MediaItem* takeOnlyItem(ItemIndex& index, const ItemKey& key) {
    const auto found = index.find(key);
    if (found == index.end()) {
        return nullptr;
    }
    return std::exchange(*found, nullptr);
}

MediaKind kindOf(MediaContent content) {
    return content == MediaContent::photo ? MediaKind::photo : MediaKind::video;
}

bool fileMatches(const MediaItem& item, const DirectoryEntry& entry, MediaKind kind) {
    const FileStatus& status = entry.status;
    if (item.kind != kind || item.size != status.size || !status.modified ||
        !sameInstant(*status.modified, item.modified)) {
        return false;
    }
    char text[FileDeletionValidation::identityCapacity];
    const char* end = FileDeletionValidation::writeIdentity(status, status.created, text);
    return QLatin1StringView(text, end) == item.fileIdentity;
}

// Counts the media files of one folder into `count`; false at the first one no item describes.
// Only looks the index up, so that folders can be matched side by side: two files of the tree
// never have the same name, so none takes an item another file matched.
bool folderMatches(const QString& key, const QString& path, const ItemIndex& byName,
                   qsizetype& count) {
    DirectoryListing listing(path);
    DirectoryEntry entry;
    // One buffer for every relative name of the folder.
    QString name = key.isEmpty() ? QString() : key + u'/';
    const qsizetype prefix = name.size();
    while (listing.next(entry)) {
        if (!entry.status.isRegularFile()) {
            continue;
        }
        const MediaContent content = MediaType::ofFile(entry.name);
        if (content == MediaContent::none) {
            continue;
        }
        ++count;
        name.truncate(prefix);
        name.append(entry.name);
        const MediaItem* item = byName.value(ItemKey{name});
        if (item == nullptr || !fileMatches(*item, entry, kindOf(content))) {
            return false;
        }
    }
    return true;
}

bool assetMatches(const MediaItem& item, const PhotoAssetState& asset) {
    if ((item.kind == MediaKind::video) != (asset.content != MediaContent::photo)) {
        return false;
    }
    const Date date = asset.modificationDate.value_or(asset.creationDate.value_or(distantPast));
    if (!sameInstant(date, item.modified)) {
        return false;
    }
    return item.kind != MediaKind::video || (item.duration && *item.duration == asset.duration);
}

}  // namespace

bool mediaStillCurrent(const Library& library, const QString& root, LibrarySource source,
                       const PhotoLibrary& photos, const PhotoAssetListing& listAssets) {
    switch (source) {
        case LibrarySource::folder:
            return folderMediaStillCurrent(library, root);
        case LibrarySource::photos:
            return photoMediaStillCurrent(library, photos.authorizationStatus(), listAssets);
        case LibrarySource::none:
            break;
    }
    return false;
}

bool folderMediaStillCurrent(const Library& library, const QString& root) {
    const std::map<QString, QString> folders = FolderCatalog::directories(root);
    const QSet<QString> catalogFolders(library.catalogDirectories.cbegin(),
                                       library.catalogDirectories.cend());
    if (catalogFolders.size() != qsizetype(folders.size()) ||
        !std::all_of(folders.begin(), folders.end(),
                     [&](const auto& folder) { return catalogFolders.contains(folder.first); })) {
        return false;
    }
    const auto byName =
        uniqueIndex(library.items, [](const MediaItem& item) { return ItemKey{item.filename}; });
    // Folders side by side; the first one in order that fails or does not match gives the answer.
    const std::vector<std::pair<QString, QString>> listed(folders.begin(), folders.end());
    std::vector<qsizetype> counts(listed.size(), 0);
    std::vector<char> matched(listed.size(), false);
    std::vector<std::exception_ptr> failures(listed.size());
    ParallelWork::forEach(listed.size(), [&](std::size_t index) {
        try {
            matched[index] =
                folderMatches(listed[index].first, listed[index].second, byName, counts[index]);
        } catch (...) {
            failures[index] = std::current_exception();
        }
        return matched[index] != 0;
    });
    qsizetype count = 0;
    for (std::size_t index = 0; index < listed.size(); ++index) {
        if (failures[index]) {
            std::rethrow_exception(failures[index]);
        }
        if (!matched[index]) {
            return false;
        }
        count += counts[index];
    }
    return count == library.items.size();
}

bool photoMediaStillCurrent(const Library& library, PhotoAuthorizationStatus status,
                            const PhotoAssetListing& listAssets) {
    if (status != PhotoAuthorizationStatus::authorized &&
        status != PhotoAuthorizationStatus::limited) {
        return false;
    }
    const QList<PhotoAssetState> assets = listAssets();
    auto byIdentity = uniqueIndex(library.items,
                                  [](const MediaItem& item) { return ItemKey{item.fileIdentity}; });
    qsizetype count = 0;
    for (const PhotoAssetState& asset : assets) {
        if (asset.content == MediaContent::none) {
            continue;
        }
        ++count;
        const QString identity = QStringLiteral("photos:") + asset.localIdentifier;
        const MediaItem* item = takeOnlyItem(byIdentity, {identity});
        if (item == nullptr || !assetMatches(*item, asset)) {
            return false;
        }
    }
    return count == library.items.size();
}

bool sameMedia(const QList<MediaItem>& scanned, const MediaItems& current) {
    if (scanned.size() != current.size()) {
        return false;
    }
    const auto keyOf = [](const MediaItem& item) {
        return ItemKey{item.filename, item.fileIdentity};
    };
    auto byKey = uniqueIndex(current, keyOf);
    return std::all_of(scanned.cbegin(), scanned.cend(), [&](const MediaItem& item) {
        const MediaItem* match = takeOnlyItem(byKey, keyOf(item));
        return match != nullptr && match->kind == item.kind && match->size == item.size &&
               sameInstant(match->modified, item.modified) && match->duration == item.duration;
    });
}

}  // namespace lumivex::MetadataUndoValidation

#include "model/media_scanner.h"

#include "model/capture_date_reader.h"
#include "model/file_deletion_validation.h"
#include "model/video_asset.h"
#include "platform/decimal_text.h"
#include "platform/directory_listing.h"
#include "platform/error.h"
#include "platform/media_type.h"
#include "platform/photo_library.h"

#include <QPromise>
#include <QRandomGenerator>
#include <QStringBuilder>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <bit>
#include <charconv>
#include <cstdint>
#include <optional>
#include <vector>

namespace lumivex {

namespace {

// The numbers an identity text names: the device and file numbers (when present) and the bits
// of the creation time. They find a file's previous records without writing or hashing text.
struct IdentityKey {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t creationBits = 0;
    std::uint8_t present = 0;  // bit 0: device, bit 1: inode

    bool operator==(const IdentityKey&) const = default;
};

std::uint64_t hashOf(const IdentityKey& key) {
    std::uint64_t h = key.device * 0x9e3779b97f4a7c15ULL ^ key.inode * 0xc2b2ae3d27d4eb4fULL ^
                      key.creationBits * 0x165667b19e3779f9ULL ^ key.present;
    h ^= h >> 31;
    h *= 0xbf58476d1ce4e5b9ULL;
    return h ^ (h >> 29);
}

IdentityKey keyOf(const FileStatus& status) {
    IdentityKey key;
    key.device = status.device.value_or(0);
    key.inode = status.inode.value_or(0);
    key.present = static_cast<std::uint8_t>((status.device ? 1 : 0) | (status.inode ? 2 : 0));
    key.creationBits =
        std::bit_cast<std::uint64_t>(status.created ? status.created->secondsSince1970 : 0.0);
    return key;
}

// The key of an identity text. Every text a file's identity is written as gives that file's key
// (a finite time's shortest decimal reads back as the same double); other texts may give a key
// too, so a match is only a candidate until the texts compare equal.
std::optional<IdentityKey> parsedKey(QStringView text) {
    IdentityKey key;
    qsizetype at = 0;
    for (int field = 0; field < 2; ++field, ++at) {
        std::uint64_t value = 0;
        const qsizetype start = at;
        for (; at < text.size() && text[at] != u':'; ++at) {
            const char16_t c = text[at].unicode();
            if (c < u'0' || c > u'9' || __builtin_mul_overflow(value, 10u, &value) ||
                __builtin_add_overflow(value, static_cast<unsigned>(c - u'0'), &value)) {
                return std::nullopt;
            }
        }
        if (at == text.size()) {
            return std::nullopt;
        }
        if (at > start) {
            (field == 0 ? key.device : key.inode) = value;
            key.present |= static_cast<std::uint8_t>(1 << field);
        }
    }
    char ascii[DecimalText::shortestCapacity];
    const qsizetype length = text.size() - at;
    if (length <= 0 || length > qsizetype(sizeof ascii)) {
        return std::nullopt;
    }
    for (qsizetype i = 0; i < length; ++i) {
        ascii[i] = static_cast<char>(text[at + i].unicode());
    }
    double creation = 0;
    if (std::from_chars(ascii, ascii + length, creation).ec != std::errc()) {
        return std::nullopt;
    }
    key.creationBits = std::bit_cast<std::uint64_t>(creation);
    return key;
}

// Qt's general comparison of UTF-16 with Latin-1 costs more than a rescan's examination of the
// file; an identity is short and almost always equal when compared.
bool sameText(const QString& text, QLatin1String latin1) {
    if (text.size() != latin1.size()) {
        return false;
    }
    const QChar* units = text.constData();
    for (qsizetype i = 0; i < latin1.size(); ++i) {
        if (units[i].unicode() != static_cast<unsigned char>(latin1[i].toLatin1())) {
            return false;
        }
    }
    return true;
}

// The records of `previous` grouped by the key of their file identity, each group in the order
// of `previous`: the first record of a group, and for every record the next one of its group.
// An open-addressed table of (hash tag, first record) pairs, twice as long as `previous`, so that
// finding a group touches one slot and then the records themselves. A library holds far fewer
// than 2^31 records.
// A rescan of an unchanged folder meets its files in the order of the previous scan, so the record
// after the last one found is tried first: read in order, the records stay in the processor's
// cache, where a table probe per file would miss it several times.
class PreviousIndex {
public:
    explicit PreviousIndex(const QList<MediaItem>& previous)
        : previous_(previous),
          next_(static_cast<std::size_t>(previous.size()), -1),
          keys_(static_cast<std::size_t>(previous.size())),
          leads_(static_cast<std::size_t>(previous.size()), false),
          slots_(std::bit_ceil(2 * static_cast<std::size_t>(previous.size()) + 2)) {
        for (qsizetype i = previous.size() - 1; i >= 0; --i) {
            const std::optional<IdentityKey> key = parsedKey(previous[i].fileIdentity);
            if (!key) {
                continue;  // no file's identity is written like this
            }
            const auto index = static_cast<std::size_t>(i);
            keys_[index] = *key;
            const std::uint64_t hash = hashOf(*key);
            Slot& slot = slots_[slotOf(*key, tagOf(hash), hash)];
            slot.tag = tagOf(hash);
            next_[index] = slot.first;
            if (slot.first >= 0) {
                leads_[static_cast<std::size_t>(slot.first)] = false;
            }
            leads_[index] = true;
            slot.first = static_cast<std::int32_t>(i);
        }
    }

    struct Match {
        QString identity;                      // the file's identity text
        const MediaItem* unchanged = nullptr;  // the first record of it with the same date and size
    };

    // The identity is written to the stack and compared there; a file known before takes the
    // previous record's text, shared instead of allocated.
    Match find(const FileStatus& status, const Date& modified, std::int64_t size) {
        char text[FileDeletionValidation::identityCapacity];
        const QLatin1String identity(
            text, FileDeletionValidation::writeIdentity(status, status.created, text));
        const IdentityKey key = keyOf(status);
        if (const MediaItem* expected = nextInOrder(key, identity, modified, size)) {
            return {expected->fileIdentity, expected};
        }
        Match match;
        bool known = false;
        for (qsizetype i = first(key); i >= 0; i = next_[static_cast<std::size_t>(i)]) {
            const MediaItem& candidate = previous_[i];
            if (!sameText(candidate.fileIdentity, identity)) {
                continue;
            }
            if (!known) {
                match.identity = candidate.fileIdentity;
                known = true;
            }
            if (candidate.modified == modified && candidate.size == size) {
                match.unchanged = &candidate;
                expected_ = static_cast<std::size_t>(i) + 1;
                break;
            }
        }
        if (!known) {
            match.identity = identity;
        }
        return match;
    }

private:
    // The expected record when it is what the table would give: the first of its group, with the
    // same identity text, date and size.
    const MediaItem* nextInOrder(const IdentityKey& key, QLatin1String identity,
                                 const Date& modified, std::int64_t size) {
        if (expected_ >= leads_.size() || !leads_[expected_] || !(keys_[expected_] == key)) {
            return nullptr;
        }
        const MediaItem& candidate = previous_[static_cast<qsizetype>(expected_)];
        if (!sameText(candidate.fileIdentity, identity) || !(candidate.modified == modified) ||
            candidate.size != size) {
            return nullptr;
        }
        ++expected_;
        return &candidate;
    }

    struct Slot {
        std::uint32_t tag = 0;
        std::int32_t first = -1;  // none: the slot is free
    };

    // The slot of the key's group, or the free slot where it would start.
    std::size_t slotOf(const IdentityKey& key, std::uint32_t tag, std::uint64_t hash) const {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
            const Slot& slot = slots_[at];
            if (slot.first < 0 ||
                (slot.tag == tag && keys_[static_cast<std::size_t>(slot.first)] == key)) {
                return at;
            }
        }
    }

    static std::uint32_t tagOf(std::uint64_t hash) {
        return static_cast<std::uint32_t>(hash >> 32);
    }

    // The first record of the key's group, -1 for none.
    std::int32_t first(const IdentityKey& key) const {
        const std::uint64_t hash = hashOf(key);
        return slots_[slotOf(key, tagOf(hash), hash)].first;
    }

    const QList<MediaItem>& previous_;
    std::vector<std::int32_t> next_;
    std::vector<IdentityKey> keys_;
    std::vector<bool> leads_;  // whether a record is the first of its group
    std::vector<Slot> slots_;
    std::size_t expected_ = 0;  // the record after the last unchanged one found
};

// A version 4 UUID. The system generator behind QUuid::createUuid costs about as much as examining
// the file, and the global generator takes a lock per call; identifiers need uniqueness, not
// secrecy, so a per-thread generator seeded with 128 bits from the global one is enough and keeps
// an unchanged rescan close to the cost of listing the tree.
QUuid randomUuid() {
    thread_local QRandomGenerator generator = [] {
        quint32 seed[4];
        QRandomGenerator::global()->fillRange(seed);
        return QRandomGenerator(seed, 4);
    }();
    quint32 words[4];
    generator.fillRange(words);
    QUuid id(words[0], static_cast<ushort>(words[1]), static_cast<ushort>(words[1] >> 16),
             static_cast<uchar>(words[2]), static_cast<uchar>(words[2] >> 8),
             static_cast<uchar>(words[2] >> 16), static_cast<uchar>(words[2] >> 24),
             static_cast<uchar>(words[3]), static_cast<uchar>(words[3] >> 8),
             static_cast<uchar>(words[3] >> 16), static_cast<uchar>(words[3] >> 24));
    id.data3 = static_cast<ushort>((id.data3 & 0x0fff) | 0x4000);
    id.data4[0] = static_cast<uchar>((id.data4[0] & 0x3f) | 0x80);
    return id;
}

struct QueuedFolder {
    QString path;
    QString relativePath;
};

class FolderScan {
public:
    FolderScan(const QList<MediaItem>& previous, bool includeSubfolders, const Clock& clock,
               const MediaScanner::CancellationCheck& isCancelled)
        : index_(previous),
          includeSubfolders_(includeSubfolders),
          clock_(clock),
          isCancelled_(isCancelled) {
        // A rescan usually finds about as many files as it held before.
        results_.reserve(previous.size());
    }

    QList<MediaItem> run(const QString& folder) {
        queue_.push_back({folder, QString()});
        for (std::size_t position = 0; position < queue_.size(); ++position) {
            checkCancellation();
            // Copied: appending subfolders may move the queue's storage.
            const QueuedFolder current = queue_[position];
            // One reading per folder: the records of a folder share the moment it was listed.
            folderTime_ = clock_();
            listFolder(current);
        }
        return std::move(results_);
    }

private:
    void checkCancellation() const {
        if (isCancelled_()) {
            throw MediaScanner::Cancelled{};
        }
    }

    // A subfolder this user may not list is left out whole, with whatever it gave before the
    // listing was refused.
    void listFolder(const QueuedFolder& folder) {
        const std::size_t queued = queue_.size();
        const qsizetype found = results_.size();
        try {
            DirectoryListing listing(folder.path);
            DirectoryEntry entry;
            for (;;) {
                checkCancellation();
                if (!listing.nextType(entry)) {
                    return;
                }
                visit(folder, listing, entry);
            }
        } catch (const Error& error) {
            if (folder.relativePath.isEmpty() || !DirectoryListing::refused(error)) {
                throw;
            }
            queue_.resize(queued);
            results_.resize(found);
        }
    }

    // Only media files are examined whole: a folder or any other file is known by the type the
    // listing gives.
    void visit(const QueuedFolder& folder, DirectoryListing& listing, DirectoryEntry& entry) {
        // Linux has no packages: every directory is an ordinary folder.
        if (entry.status.isDirectory()) {
            if (includeSubfolders_) {
                queue_.push_back({folder.path % u'/' % entry.name, relativePathOf(folder, entry)});
            }
            return;
        }
        if (!entry.status.isRegularFile()) {
            return;
        }
        const MediaContent content = MediaType::ofFile(entry.name);
        if (content == MediaContent::none || !listing.examine(entry) ||
            !entry.status.isRegularFile()) {
            return;
        }
        const MediaKind kind = content == MediaContent::photo ? MediaKind::photo : MediaKind::video;
        results_.append(
            record(folder.path, entry.name, relativePathOf(folder, entry), kind, entry.status));
    }

    static QString relativePathOf(const QueuedFolder& folder, const DirectoryEntry& entry) {
        return folder.relativePath.isEmpty() ? entry.name
                                             : QString(folder.relativePath % u'/' % entry.name);
    }

    MediaItem record(const QString& folderPath, const QString& name, QString relativePath,
                     MediaKind kind, const FileStatus& status) {
        const Date now = folderTime_;
        MediaItem item;
        item.id = randomUuid();
        item.filename = std::move(relativePath);
        item.kind = kind;
        item.size = status.size;
        item.modified = status.modified.value_or(now);
        item.added = now;
        PreviousIndex::Match match = index_.find(status, item.modified, item.size);
        item.fileIdentity = std::move(match.identity);
        const MediaItem* unchanged = match.unchanged;
        if (unchanged != nullptr) {
            item.capturedAt = unchanged->capturedAt;
        }
        // The file's path is spelled out only when the file has to be opened.
        if (kind == MediaKind::video) {
            readVideo(folderPath + u'/' + name, unchanged, item);
        } else if (!item.capturedAt) {
            item.capturedAt = CaptureDateReader::imageDate(folderPath + u'/' + name);
        }
        if (!item.capturedAt) {
            item.capturedAt = status.created;
        }
        return item;
    }

    // Opens the video only for what the unchanged record does not supply.
    static void readVideo(const QString& path, const MediaItem* unchanged, MediaItem& item) {
        if (unchanged != nullptr && unchanged->duration && item.capturedAt) {
            item.duration = unchanged->duration;
            return;
        }
        VideoAsset asset(path);
        item.duration =
            unchanged != nullptr && unchanged->duration ? unchanged->duration : asset.duration();
        if (!item.capturedAt) {
            item.capturedAt = CaptureDateReader::videoDate(asset);
        }
    }

    PreviousIndex index_;
    bool includeSubfolders_;
    const Clock& clock_;
    Date folderTime_;
    const MediaScanner::CancellationCheck& isCancelled_;
    std::vector<QueuedFolder> queue_;
    QList<MediaItem> results_;
};

QString photoFileName(const PhotoAsset& asset, qsizetype position) {
    if (asset.resources.isEmpty()) {
        return QStringLiteral("사진-%1").arg(position + 1);
    }
    for (const PhotoAssetResource& resource : asset.resources) {
        if (resource.type == PhotoResourceType::photo ||
            resource.type == PhotoResourceType::video) {
            return resource.originalFilename;
        }
    }
    return asset.resources.first().originalFilename;
}

MediaItem photoRecord(const PhotoAsset& asset, qsizetype position) {
    const bool video = asset.mediaType == PhotoMediaType::video;
    MediaItem item;
    item.id = randomUuid();
    item.filename = photoFileName(asset, position);
    item.fileIdentity = QStringLiteral("photos:") + asset.localIdentifier;
    item.kind = video ? MediaKind::video : MediaKind::photo;
    item.size = 0;
    item.modified =
        asset.modificationDate.value_or(asset.creationDate.value_or(Date::distantPast()));
    item.added = asset.creationDate.value_or(Date::distantPast());
    if (video) {
        item.duration = asset.duration;
    }
    item.capturedAt = asset.creationDate;
    return item;
}

}  // namespace

MediaScanner::MediaScanner(Clock clock)
    : clock_(std::move(clock)), pool_(std::make_unique<QThreadPool>()) {
    pool_->setMaxThreadCount(1);
}

// The pool waits for its running scan when it goes; cancelled first, a scan of a large tree of
// videos stops at its next entry instead of holding the main thread until it has read them all.
MediaScanner::~MediaScanner() {
    for (QFuture<QList<MediaItem>>& scan : scans_) {
        scan.cancel();
    }
}

QFuture<QList<MediaItem>> MediaScanner::scan(const QString& folder,
                                             const QList<MediaItem>& previous,
                                             bool includeSubfolders) {
    scans_.removeIf([](const QFuture<QList<MediaItem>>& scan) { return scan.isFinished(); });
    return scans_.emplace_back(QtConcurrent::run(
        pool_.get(),
        [clock = clock_, folder, previous, includeSubfolders](QPromise<QList<MediaItem>>& promise) {
            try {
                promise.addResult(scanFolder(folder, previous, includeSubfolders, clock,
                                             [&promise] { return promise.isCanceled(); }));
            } catch (const Cancelled&) {
                // The future is already cancelled; it carries no result.
            } catch (...) {
                promise.setException(std::current_exception());
            }
        }));
}

QList<MediaItem> MediaScanner::scanFolder(const QString& folder, const QList<MediaItem>& previous,
                                          bool includeSubfolders, const Clock& clock,
                                          const CancellationCheck& isCancelled) {
    return FolderScan(previous, includeSubfolders, clock, isCancelled).run(folder);
}

QFuture<QList<MediaItem>> MediaScanner::scanPhotos(const PhotoLibrary& library,
                                                   PhotoAssetTable& assets) {
    scans_.removeIf([](const QFuture<QList<MediaItem>>& scan) { return scan.isFinished(); });
    return scans_.emplace_back(
        QtConcurrent::run(pool_.get(), [&library, &assets](QPromise<QList<MediaItem>>& promise) {
            try {
                promise.addResult(
                    listPhotos(library, assets, [&promise] { return promise.isCanceled(); }));
            } catch (const Cancelled&) {
                // The future is already cancelled; it carries no result.
            } catch (...) {
                promise.setException(std::current_exception());
            }
        }));
}

QList<MediaItem> MediaScanner::listPhotos(const PhotoLibrary& library, PhotoAssetTable& assets,
                                          const CancellationCheck& isCancelled) {
    const QList<PhotoAsset> fetched = library.fetchAllAssets(isCancelled);
    QList<MediaItem> items;
    items.reserve(fetched.size());
    for (qsizetype position = 0; position < fetched.size(); ++position) {
        if (isCancelled()) {
            throw Cancelled{};
        }
        const PhotoAsset& asset = fetched[position];
        if (asset.mediaType != PhotoMediaType::image && asset.mediaType != PhotoMediaType::video) {
            continue;
        }
        assets.insert(asset.localIdentifier, asset);
        items.append(photoRecord(asset, position));
    }
    // A listing the library cut short may hold no position at all to check.
    if (isCancelled()) {
        throw Cancelled{};
    }
    return items;
}

}  // namespace lumivex

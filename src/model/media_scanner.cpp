#include "model/media_scanner.h"

#include "model/capture_date_reader.h"
#include "model/previous_index.h"
#include "model/video_asset.h"
#include "platform/directory_listing.h"
#include "platform/error.h"
#include "platform/media_type.h"
#include "platform/photo_library.h"
#include "platform/task_crew.h"

#include <QPromise>
#include <QRandomGenerator>
#include <QStringBuilder>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <atomic>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <vector>

namespace lumivex {

namespace {

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

// A photo or video whose capture date or duration has to be read from the file itself.
struct PendingRead {
    qsizetype record = 0;
    const MediaItem* unchanged = nullptr;
    std::optional<Date> created;
};

// One folder of the tree and what its listing found. A folder whose listing was refused keeps
// nothing; one whose listing failed otherwise keeps the failure, which fails the scan when the
// folder's turn comes.
struct ScannedFolder {
    QString path;
    QString relativePath;
    QList<MediaItem> records;
    std::vector<ScannedFolder*> subfolders;  // in listing order
    std::vector<PendingRead> reads;
    std::exception_ptr failure;
};

// Folders are listed and files read by a crew of threads, in whatever order they get to them;
// the results are then put in the order of a breadth-first scan, folder by folder, and the first
// failure in that order is the one thrown, so the crew's order never shows.
class FolderScan {
public:
    FolderScan(const QList<MediaItem>& previous, bool includeSubfolders, const Clock& clock,
               const MediaScanner::CancellationCheck& isCancelled)
        : index_(previous),
          includeSubfolders_(includeSubfolders),
          clock_(clock),
          isCancelled_(isCancelled),
          crew_(QThread::idealThreadCount()) {}

    QList<MediaItem> run(const QString& folder) {
        ScannedFolder& root = newFolder(folder, QString());
        crew_.add([this, &root] { list(root); });
        crew_.run();
        return collected(root);
    }

private:
    // Each file opened costs far more than handing it to another thread; batches keep a large
    // folder's files spread over the crew.
    static constexpr std::size_t readBatch = 16;

    void checkCancellation() const {
        if (isCancelled_()) {
            throw MediaScanner::Cancelled{};
        }
    }

    ScannedFolder& newFolder(QString path, QString relativePath) {
        const std::lock_guard lock(foldersMutex_);
        ScannedFolder& folder = folders_.emplace_back();
        folder.path = std::move(path);
        folder.relativePath = std::move(relativePath);
        return folder;
    }

    // The clock is read by one thread at a time, so any clock will do.
    Date now() {
        const std::lock_guard lock(clockMutex_);
        return clock_();
    }

    void list(ScannedFolder& folder) {
        checkCancellation();
        // One reading per folder: the records of a folder share the moment it was listed.
        const Date time = now();
        try {
            DirectoryListing listing(folder.path);
            DirectoryEntry entry;
            PreviousIndex::Cursor cursor;
            for (;;) {
                checkCancellation();
                if (!listing.nextType(entry)) {
                    break;
                }
                visit(folder, listing, entry, time, cursor);
            }
        } catch (const Error& error) {
            leaveOut(folder, error);
            return;
        }
        for (ScannedFolder* subfolder : folder.subfolders) {
            crew_.add([this, subfolder] { list(*subfolder); });
        }
        MediaItem* records = folder.records.data();
        for (std::size_t first = readBatch; first < folder.reads.size(); first += readBatch) {
            crew_.add([this, &folder, records, first] { read(folder, records, first); });
        }
        read(folder, records, 0);
    }

    // A subfolder this user may not list is left out whole, with whatever it gave before the
    // listing was refused; any other failure is kept for its turn.
    void leaveOut(ScannedFolder& folder, const Error& error) {
        if (folder.relativePath.isEmpty() || !DirectoryListing::refused(error)) {
            folder.failure = std::current_exception();
            failed_ = true;
        }
        folder.records.clear();
        folder.subfolders.clear();
        folder.reads.clear();
    }

    // Only media files are examined whole: a folder or any other file is known by the type the
    // listing gives.
    void visit(ScannedFolder& folder, DirectoryListing& listing, DirectoryEntry& entry,
               const Date& time, PreviousIndex::Cursor& cursor) {
        // Linux has no packages: every directory is an ordinary folder.
        if (entry.status.isDirectory()) {
            if (includeSubfolders_) {
                folder.subfolders.push_back(
                    &newFolder(folder.path % u'/' % entry.name, relativePathOf(folder, entry)));
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
        record(folder, entry, kind, time, cursor);
    }

    static QString relativePathOf(const ScannedFolder& folder, const DirectoryEntry& entry) {
        return folder.relativePath.isEmpty() ? entry.name
                                             : QString(folder.relativePath % u'/' % entry.name);
    }

    void record(ScannedFolder& folder, const DirectoryEntry& entry, MediaKind kind,
                const Date& time, PreviousIndex::Cursor& cursor) {
        const FileStatus& status = entry.status;
        MediaItem& item = folder.records.emplace_back();
        item.id = randomUuid();
        item.filename = relativePathOf(folder, entry);
        item.kind = kind;
        item.size = status.size;
        item.modified = status.modified.value_or(time);
        item.added = time;
        PreviousIndex::Match match = index_.find(status, item.modified, item.size, cursor);
        item.fileIdentity = std::move(match.identity);
        const MediaItem* unchanged = match.unchanged;
        if (unchanged != nullptr) {
            item.capturedAt = unchanged->capturedAt;
            if (kind == MediaKind::video && unchanged->duration && item.capturedAt) {
                item.duration = unchanged->duration;
                return;
            }
        }
        if (kind == MediaKind::photo && item.capturedAt) {
            return;
        }
        folder.reads.push_back({folder.records.size() - 1, unchanged, status.created});
    }

    // The records are complete once the listing is: batches fill in fields of records that no
    // other thread touches.
    void read(const ScannedFolder& folder, MediaItem* records, std::size_t first) {
        const std::size_t end = std::min(first + readBatch, folder.reads.size());
        for (std::size_t at = first; at < end && !failed_; ++at) {
            checkCancellation();
            const PendingRead& pending = folder.reads[at];
            MediaItem& item = records[pending.record];
            const QString path = pathOf(folder, item);
            if (item.kind == MediaKind::video) {
                readVideo(path, pending.unchanged, item);
            } else {
                item.capturedAt = CaptureDateReader::imageDate(path);
            }
            if (!item.capturedAt) {
                item.capturedAt = pending.created;
            }
        }
    }

    // The file's path is spelled out only when the file has to be opened, by the thread that
    // opens it.
    static QString pathOf(const ScannedFolder& folder, const MediaItem& item) {
        const qsizetype name = folder.relativePath.isEmpty() ? 0 : folder.relativePath.size() + 1;
        return folder.path % u'/' % QStringView(item.filename).sliced(name);
    }

    // Opens the video only for what the unchanged record does not supply.
    static void readVideo(const QString& path, const MediaItem* unchanged, MediaItem& item) {
        VideoAsset asset(path);
        item.duration =
            unchanged != nullptr && unchanged->duration ? unchanged->duration : asset.duration();
        if (!item.capturedAt) {
            item.capturedAt = CaptureDateReader::videoDate(asset);
        }
    }

    // The records in breadth-first order; the first failure met in that order is thrown.
    static QList<MediaItem> collected(ScannedFolder& root) {
        std::vector<ScannedFolder*> order{&root};
        qsizetype total = 0;
        for (std::size_t position = 0; position < order.size(); ++position) {
            const ScannedFolder& folder = *order[position];
            if (folder.failure) {
                std::rethrow_exception(folder.failure);
            }
            total += folder.records.size();
            order.insert(order.end(), folder.subfolders.begin(), folder.subfolders.end());
        }
        QList<MediaItem> results;
        results.reserve(total);
        for (ScannedFolder* folder : order) {
            results.append(std::move(folder->records));
        }
        return results;
    }

    const PreviousIndex index_;
    const bool includeSubfolders_;
    const Clock& clock_;
    std::mutex clockMutex_;
    const MediaScanner::CancellationCheck& isCancelled_;
    std::mutex foldersMutex_;
    std::deque<ScannedFolder> folders_;  // a deque: a folder stays where it was made
    std::atomic<bool> failed_ = false;   // the scan will fail: files need not be read
    TaskCrew crew_;
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

QFuture<QList<MediaItem>> MediaScanner::scan(const QString& folder, const MediaItems& previous,
                                             bool includeSubfolders) {
    scans_.removeIf([](const QFuture<QList<MediaItem>>& scan) { return scan.isFinished(); });
    return scans_.emplace_back(QtConcurrent::run(
        pool_.get(),
        [clock = clock_, folder, previous, includeSubfolders](QPromise<QList<MediaItem>>& promise) {
            try {
                promise.addResult(scanFolder(folder, previous.toList(), includeSubfolders, clock,
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

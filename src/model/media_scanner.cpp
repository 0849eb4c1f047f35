#include "model/media_scanner.h"

#include "model/capture_date_reader.h"
#include "model/file_deletion_validation.h"
#include "model/video_asset.h"
#include "platform/directory_listing.h"
#include "platform/media_type.h"

#include <QHash>
#include <QPromise>
#include <QRandomGenerator>
#include <QStringBuilder>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <optional>
#include <vector>

namespace lumivex {

namespace {

// The records of `previous` grouped by file identity, each group in the order of `previous`:
// the first record of a group, and for every record the next one of its group.
class PreviousIndex {
public:
    explicit PreviousIndex(const QList<MediaItem>& previous)
        : previous_(previous), next_(static_cast<std::size_t>(previous.size()), -1) {
        first_.reserve(previous.size());
        for (qsizetype i = previous.size() - 1; i >= 0; --i) {
            const auto found = first_.find(previous[i].fileIdentity);
            if (found == first_.end()) {
                first_.insert(previous[i].fileIdentity, i);
            } else {
                next_[static_cast<std::size_t>(i)] = *found;
                *found = i;
            }
        }
    }

    // The first record with this identity whose modification date and size are the same.
    const MediaItem* unchanged(const MediaItem& item) const {
        const auto found = first_.constFind(item.fileIdentity);
        qsizetype i = found == first_.cend() ? -1 : *found;
        for (; i >= 0; i = next_[static_cast<std::size_t>(i)]) {
            const MediaItem& candidate = previous_[i];
            if (candidate.modified == item.modified && candidate.size == item.size) {
                return &candidate;
            }
        }
        return nullptr;
    }

private:
    const QList<MediaItem>& previous_;
    QHash<QString, qsizetype> first_;
    std::vector<qsizetype> next_;
};

// A version 4 UUID. The system generator behind QUuid::createUuid costs about as much as examining
// the file; identifiers need uniqueness, not secrecy, so the securely seeded global generator is
// enough and keeps an unchanged rescan close to the cost of listing the tree.
QUuid randomUuid() {
    quint32 words[4];
    QRandomGenerator::global()->fillRange(words);
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

    void listFolder(const QueuedFolder& folder) {
        DirectoryListing listing(folder.path);
        for (;;) {
            checkCancellation();
            std::optional<DirectoryEntry> entry = listing.next();
            if (!entry) {
                return;
            }
            visit(folder, *entry);
        }
    }

    void visit(const QueuedFolder& folder, const DirectoryEntry& entry) {
        const FileStatus& status = entry.status;
        if (status.isSymbolicLink()) {
            return;
        }
        QString relativePath =
            folder.relativePath.isEmpty() ? entry.name : folder.relativePath + u'/' + entry.name;
        // Linux has no packages: every directory is an ordinary folder.
        if (status.isDirectory()) {
            if (includeSubfolders_) {
                queue_.push_back({folder.path % u'/' % entry.name, std::move(relativePath)});
            }
            return;
        }
        if (!status.isRegularFile()) {
            return;
        }
        const MediaContent content = MediaType::ofFile(entry.name);
        if (content == MediaContent::none) {
            return;
        }
        const MediaKind kind = content == MediaContent::photo ? MediaKind::photo : MediaKind::video;
        results_.append(record(folder.path, entry.name, std::move(relativePath), kind, status));
    }

    MediaItem record(const QString& folderPath, const QString& name, QString relativePath,
                     MediaKind kind, const FileStatus& status) const {
        const Date now = clock_();
        MediaItem item;
        item.id = randomUuid();
        item.filename = std::move(relativePath);
        item.fileIdentity = FileDeletionValidation::identity(status, status.created);
        item.kind = kind;
        item.size = status.size;
        item.modified = status.modified.value_or(now);
        item.added = now;
        const MediaItem* unchanged = index_.unchanged(item);
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
    const MediaScanner::CancellationCheck& isCancelled_;
    std::vector<QueuedFolder> queue_;
    QList<MediaItem> results_;
};

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

}  // namespace lumivex

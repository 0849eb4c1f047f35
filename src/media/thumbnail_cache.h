#pragma once

#include "media/thumbnail_decoder.h"
#include "platform/bounded_cache.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QThreadPool>

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <memory>

namespace lumivex {

struct MediaItem;

// One caller's wait for a thumbnail, for withdrawing it.
struct ThumbnailTicket {
    QString key;
    quint64 client = 0;

    bool operator==(const ThumbnailTicket&) const = default;
};

// The thumbnails of folder-library items: decoded on a private pool of at most three threads,
// kept in a memory cache bounded by count and bytes. All callers asking for one key share one
// decode, and a decode nobody waits for any more is never started (or is abandoned when it has
// started). A request that goes first (the picture the user opened) passes every queued one and
// has a fourth thread of its own, so it never waits for the grid's decodes. Lives on the main
// thread: every call and every result happens there.
class ThumbnailCache final : public QObject {
    Q_OBJECT

public:
    using Decoder = std::function<QImage(const ThumbnailSource&, const std::atomic<bool>&)>;
    using Handler = std::function<void(const QImage&)>;

    // In turn behind the requests before it, or first, at once.
    enum class Turn { queued, first };

    static constexpr int maximumConcurrentDecodes = 3;
    static constexpr std::int64_t countLimit = 1000;
    static constexpr std::int64_t costLimit = 134217728;  // 128 MiB

    // `decode` runs on the pool threads; the real one reads files through ThumbnailDecoder.
    explicit ThumbnailCache(Decoder decode = ThumbnailDecoder::decode, QObject* parent = nullptr);
    ~ThumbnailCache() override;

    // The process's instance, made on first use on the main thread.
    static ThumbnailCache& shared();

    // File URL, identity, modification time, byte size and pixel size, NUL between each two: any
    // change of the file or of the size asked for gives a new key.
    static QString key(const QString& path, const MediaItem& item, int size);

    // The finished thumbnail when the memory cache holds it, else a null image; never starts work.
    QImage cachedImage(const QString& path, const MediaItem& item, int size);

    // Starts or joins the decode of this thumbnail. `done` runs once on the main thread with the
    // image, or a null image when none can be made, unless the ticket is withdrawn first or
    // `context` (required) is destroyed first, which also counts as withdrawing. A thumbnail the
    // memory cache holds is handed to `done` before this returns, and nothing is queued.
    ThumbnailTicket image(const QString& path, const MediaItem& item, int size,
                          const QObject* context, Handler done, Turn turn = Turn::queued);

    // Withdraws one caller; its handler is not called. A decode left with nobody waiting is
    // dropped from the queue, or told to stop when it runs.
    void cancel(const ThumbnailTicket& ticket);

    int decodeCount() const { return decodeCount_; }
    int peakConcurrentLoads() const { return peakConcurrentLoads_; }
    int running() const { return running_; }
    qsizetype jobCount() const { return jobs_.size(); }
    const BoundedCache<QString, QImage>& memoryCache() const { return cache_; }

private:
    struct Waiter {
        QPointer<const QObject> context;
        Handler done;
    };
    struct Job {
        QString key;
        ThumbnailSource source;
        std::map<quint64, Waiter> waiters;
        std::shared_ptr<std::atomic<bool>> cancelled = std::make_shared<std::atomic<bool>>(false);
        Turn turn = Turn::queued;
    };
    using JobPointer = std::shared_ptr<Job>;

    static bool hasWaiters(Job& job);
    void promote(const JobPointer& job, Turn turn);
    void startNext();
    void start(const JobPointer& job);
    void complete(const JobPointer& job, const QImage& image);
    void forget(const JobPointer& job);

    Decoder decode_;
    BoundedCache<QString, QImage> cache_;
    QThreadPool pool_;
    QHash<QString, JobPointer> jobs_;
    std::deque<JobPointer> pending_;
    quint64 nextClient_ = 1;
    int running_ = 0;
    int decodeCount_ = 0;
    int peakConcurrentLoads_ = 0;
};

}  // namespace lumivex

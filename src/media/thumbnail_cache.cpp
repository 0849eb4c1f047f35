#include "media/thumbnail_cache.h"

#include "model/library.h"
#include "platform/decimal_text.h"

#include <QUrl>

#include <algorithm>

namespace lumivex {

ThumbnailCache::ThumbnailCache(Decoder decode, QObject* parent)
    : QObject(parent), decode_(std::move(decode)), cache_(countLimit, costLimit) {
    pool_.setMaxThreadCount(maximumConcurrentDecodes + 1);
}

ThumbnailCache::~ThumbnailCache() {
    // Decodes finish before the object goes, so none posts its result to a destroyed cache; they
    // are all told to stop first, so the wait is short.
    for (const JobPointer& job : std::as_const(jobs_)) {
        job->cancelled->store(true);
    }
    pool_.clear();
    pool_.waitForDone();
}

ThumbnailCache& ThumbnailCache::shared() {
    static ThumbnailCache* const instance = new ThumbnailCache();
    return *instance;
}

QString ThumbnailCache::key(const QString& path, const MediaItem& item, int size) {
    const QChar separator(u'\0');
    return QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded()) + separator +
           item.fileIdentity + separator + DecimalText::shortest(item.modified.secondsSince1970) +
           separator + DecimalText::integer(item.size) + separator + DecimalText::integer(size);
}

QImage ThumbnailCache::cachedImage(const QString& path, const MediaItem& item, int size) {
    return cache_.find(key(path, item, size)).value_or(QImage());
}

ThumbnailTicket ThumbnailCache::image(const QString& path, const MediaItem& item, int size,
                                      const QObject* context, Handler done, Turn turn) {
    ThumbnailTicket ticket{key(path, item, size), 0};
    if (const std::optional<QImage> cached = cache_.find(ticket.key)) {
        done(*cached);
        return ticket;
    }
    ticket.client = nextClient_++;
    JobPointer& job = jobs_[ticket.key];
    if (!job) {
        job = std::make_shared<Job>();
        job->key = ticket.key;
        job->source = ThumbnailSource{path, item.kind, item.duration, size};
        pending_.push_back(job);
    }
    job->waiters.emplace(ticket.client, Waiter{context, std::move(done)});
    promote(job, turn);
    startNext();
    return ticket;
}

// First jobs stand before every queued one, so the queue's head is always the next to start.
void ThumbnailCache::promote(const JobPointer& job, Turn turn) {
    if (turn == Turn::queued || job->turn == Turn::first) {
        return;
    }
    job->turn = Turn::first;
    const auto queued = std::find(pending_.begin(), pending_.end(), job);
    if (queued != pending_.end()) {
        pending_.erase(queued);
        const auto afterFirst =
            std::find_if(pending_.begin(), pending_.end(),
                         [](const auto& other) { return other->turn == Turn::queued; });
        pending_.insert(afterFirst, job);
    }
}

void ThumbnailCache::cancel(const ThumbnailTicket& ticket) {
    const auto found = jobs_.constFind(ticket.key);
    if (found == jobs_.constEnd()) {
        return;
    }
    const JobPointer job = found.value();
    job->waiters.erase(ticket.client);
    if (!hasWaiters(*job)) {
        forget(job);
    }
}

bool ThumbnailCache::hasWaiters(Job& job) {
    std::erase_if(job.waiters, [](const auto& entry) { return entry.second.context.isNull(); });
    return !job.waiters.empty();
}

void ThumbnailCache::forget(const JobPointer& job) {
    if (const auto found = jobs_.constFind(job->key);
        found != jobs_.constEnd() && found.value() == job) {
        jobs_.erase(found);
    }
    std::erase(pending_, job);
    job->cancelled->store(true);
}

void ThumbnailCache::startNext() {
    while (!pending_.empty()) {
        const JobPointer job = pending_.front();
        const int slots = maximumConcurrentDecodes + (job->turn == Turn::first ? 1 : 0);
        if (running_ >= slots) {
            return;
        }
        pending_.pop_front();
        if (hasWaiters(*job)) {
            start(job);
        } else {
            forget(job);
        }
    }
}

void ThumbnailCache::start(const JobPointer& job) {
    ++running_;
    ++decodeCount_;
    peakConcurrentLoads_ = std::max(peakConcurrentLoads_, running_);
    pool_.start([this, job] {
        const QImage image = decode_(job->source, *job->cancelled);
        QMetaObject::invokeMethod(
            this, [this, job, image] { complete(job, image); }, Qt::QueuedConnection);
    });
}

void ThumbnailCache::complete(const JobPointer& job, const QImage& image) {
    const bool wanted = !job->cancelled->load() && hasWaiters(*job);
    if (!image.isNull() && wanted) {
        cache_.insert(job->key, image, image.sizeInBytes());
    }
    if (const auto found = jobs_.constFind(job->key);
        found != jobs_.constEnd() && found.value() == job) {
        jobs_.erase(found);
    }
    const std::map<quint64, Waiter> waiters = std::exchange(job->waiters, {});
    for (const auto& [client, waiter] : waiters) {
        if (!waiter.context.isNull()) {  // an earlier handler may have destroyed it
            waiter.done(image);
        }
    }
    --running_;
    startNext();
}

}  // namespace lumivex

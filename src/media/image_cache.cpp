#include "media/image_cache.h"

namespace lumivex {

ImageCache::ImageCache(qsizetype countLimit, qint64 costLimit)
    : countLimit_(countLimit), costLimit_(costLimit) {}

QImage ImageCache::find(const QString& key) {
    const std::lock_guard lock(mutex_);
    const auto found = index_.constFind(key);
    if (found == index_.constEnd()) {
        return {};
    }
    order_.splice(order_.begin(), order_, found.value());
    return order_.front().image;
}

bool ImageCache::contains(const QString& key) const {
    const std::lock_guard lock(mutex_);
    return index_.contains(key);
}

void ImageCache::insert(const QString& key, const QImage& image, qint64 cost) {
    const std::lock_guard lock(mutex_);
    if (const auto found = index_.constFind(key); found != index_.constEnd()) {
        removeLocked(found.value());
    }
    if (cost > costLimit_ || countLimit_ <= 0) {
        return;
    }
    order_.push_front(Entry{key, image, cost});
    index_.insert(key, order_.begin());
    totalCost_ += cost;
    while (order_.size() > static_cast<std::size_t>(countLimit_) || totalCost_ > costLimit_) {
        removeLocked(std::prev(order_.end()));
    }
}

void ImageCache::remove(const QString& key) {
    const std::lock_guard lock(mutex_);
    if (const auto found = index_.constFind(key); found != index_.constEnd()) {
        removeLocked(found.value());
    }
}

qsizetype ImageCache::count() const {
    const std::lock_guard lock(mutex_);
    return index_.size();
}

qint64 ImageCache::totalCost() const {
    const std::lock_guard lock(mutex_);
    return totalCost_;
}

void ImageCache::removeLocked(Order::iterator entry) {
    totalCost_ -= entry->cost;
    index_.remove(entry->key);
    order_.erase(entry);
}

}  // namespace lumivex

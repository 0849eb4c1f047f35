#pragma once

#include <QHash>

#include <cstdint>
#include <list>
#include <mutex>
#include <optional>
#include <utility>

namespace lumivex {

// A memory cache with a count limit and a total cost limit (0 = no limit). When an insertion
// goes over either limit, the least recently used entries are evicted until it fits; an entry
// that alone costs more than the cost limit is not kept. Safe on any thread.
template <typename Key, typename Value>
class BoundedCache {
public:
    BoundedCache(std::int64_t countLimit, std::int64_t costLimit)
        : countLimit_(countLimit), costLimit_(costLimit) {}

    BoundedCache(const BoundedCache&) = delete;
    BoundedCache& operator=(const BoundedCache&) = delete;

    std::optional<Value> find(const Key& key) {
        std::lock_guard lock(mutex_);
        const auto found = index_.find(key);
        if (found == index_.end()) {
            return std::nullopt;
        }
        entries_.splice(entries_.begin(), entries_, found.value());
        return found.value()->value;
    }

    void insert(const Key& key, Value value, std::int64_t cost = 0) {
        std::lock_guard lock(mutex_);
        eraseLocked(key);
        if (costLimit_ > 0 && cost > costLimit_) {
            return;
        }
        entries_.push_front(Entry{key, std::move(value), cost});
        index_.insert(key, entries_.begin());
        totalCost_ += cost;
        evictLocked();
    }

    void remove(const Key& key) {
        std::lock_guard lock(mutex_);
        eraseLocked(key);
    }

    void clear() {
        std::lock_guard lock(mutex_);
        entries_.clear();
        index_.clear();
        totalCost_ = 0;
    }

    std::int64_t count() const {
        std::lock_guard lock(mutex_);
        return static_cast<std::int64_t>(index_.size());
    }

    std::int64_t totalCost() const {
        std::lock_guard lock(mutex_);
        return totalCost_;
    }

    std::int64_t countLimit() const { return countLimit_; }
    std::int64_t costLimit() const { return costLimit_; }

private:
    struct Entry {
        Key key;
        Value value;
        std::int64_t cost;
    };
    using Entries = std::list<Entry>;

    void eraseLocked(const Key& key) {
        const auto found = index_.find(key);
        if (found == index_.end()) {
            return;
        }
        totalCost_ -= found.value()->cost;
        entries_.erase(found.value());
        index_.erase(found);
    }

    void evictLocked() {
        while (!entries_.empty() &&
               ((countLimit_ > 0 && static_cast<std::int64_t>(index_.size()) > countLimit_) ||
                (costLimit_ > 0 && totalCost_ > costLimit_))) {
            totalCost_ -= entries_.back().cost;
            index_.remove(entries_.back().key);
            entries_.pop_back();
        }
    }

    const std::int64_t countLimit_;
    const std::int64_t costLimit_;
    mutable std::mutex mutex_;
    Entries entries_;  // most recently used first
    QHash<Key, typename Entries::iterator> index_;
    std::int64_t totalCost_ = 0;
};

}  // namespace lumivex

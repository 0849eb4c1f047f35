#pragma once

#include <QHash>
#include <QImage>
#include <QString>

#include <list>
#include <mutex>

namespace lumivex {

// Decoded images kept in memory under a text key, bounded by an entry count and a total cost in
// bytes; the least recently used entries leave first. Safe to use from any thread.
class ImageCache {
public:
    ImageCache(qsizetype countLimit, qint64 costLimit);
    ImageCache(const ImageCache&) = delete;
    ImageCache& operator=(const ImageCache&) = delete;

    // The image under `key`, which becomes the most recently used; a null image when absent.
    QImage find(const QString& key);
    bool contains(const QString& key) const;
    // Stores or replaces the image, then evicts until both limits hold. An image whose cost alone
    // exceeds the cost limit is not kept.
    void insert(const QString& key, const QImage& image, qint64 cost);
    void remove(const QString& key);

    qsizetype count() const;
    qint64 totalCost() const;
    qsizetype countLimit() const { return countLimit_; }
    qint64 costLimit() const { return costLimit_; }

private:
    struct Entry {
        QString key;
        QImage image;
        qint64 cost = 0;
    };
    using Order = std::list<Entry>;  // most recently used first

    void removeLocked(Order::iterator entry);

    const qsizetype countLimit_;
    const qint64 costLimit_;
    mutable std::mutex mutex_;
    Order order_;
    QHash<QString, Order::iterator> index_;
    qint64 totalCost_ = 0;
};

}  // namespace lumivex

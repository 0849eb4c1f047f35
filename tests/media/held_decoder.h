#pragma once

#include "media/thumbnail_cache.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QStringList>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <set>

namespace lumivex::test {

// A decoder that holds every decode until the test releases its path, recording the order in
// which decodes start and how many run at once. A held decode gives up when told to stop.
class HeldDecoder {
public:
    ThumbnailCache::Decoder decoder() {
        return [state = state_](const ThumbnailSource& source, const std::atomic<bool>& cancelled) {
            return state->decode(source, cancelled);
        };
    }

    void release(const QString& path) {
        const std::lock_guard lock(state_->mutex);
        state_->released.insert(path);
        state_->changed.notify_all();
    }
    void fail(const QString& path) {
        const std::lock_guard lock(state_->mutex);
        state_->failing.insert(path);
        state_->released.insert(path);
        state_->changed.notify_all();
    }
    QStringList started() const {
        const std::lock_guard lock(state_->mutex);
        return state_->started;
    }
    QStringList abandoned() const {
        const std::lock_guard lock(state_->mutex);
        return state_->abandoned;
    }
    int peak() const {
        const std::lock_guard lock(state_->mutex);
        return state_->peak;
    }

private:
    struct State {
        mutable std::mutex mutex;
        std::condition_variable changed;
        QStringList started;
        QStringList abandoned;
        std::set<QString> released;
        std::set<QString> failing;
        int active = 0;
        int peak = 0;

        QImage decode(const ThumbnailSource& source, const std::atomic<bool>& cancelled) {
            std::unique_lock lock(mutex);
            started.append(source.path);
            peak = std::max(peak, ++active);
            while (!released.contains(source.path) && !cancelled.load()) {
                changed.wait_for(lock, std::chrono::milliseconds(2));
            }
            --active;
            if (cancelled.load()) {
                abandoned.append(source.path);
                return {};
            }
            if (failing.contains(source.path)) {
                return {};
            }
            QImage image(source.size, source.size / 2, QImage::Format_RGB32);
            image.fill(Qt::darkCyan);
            return image;
        }
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

// Runs the event loop until `done` holds; fails after five seconds.
inline bool processEventsUntil(const std::function<bool()>& done) {
    const QDeadlineTimer deadline(5000);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

}  // namespace lumivex::test

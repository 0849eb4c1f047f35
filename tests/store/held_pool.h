#pragma once

#include <QSemaphore>
#include <QThreadPool>

namespace lumivex::test {

// Holds every thread of the global pool, so that work given to it waits until release().
class HeldPool {
public:
    HeldPool() : pool_(*QThreadPool::globalInstance()), threads_(pool_.maxThreadCount()) {
        pool_.waitForDone();
        pool_.setMaxThreadCount(1);
        pool_.start([this] { gate_.acquire(); });
    }
    ~HeldPool() { release(); }

    void release() {
        if (held_) {
            held_ = false;
            gate_.release();
            pool_.waitForDone();
            pool_.setMaxThreadCount(threads_);
        }
    }

private:
    QThreadPool& pool_;
    int threads_;
    QSemaphore gate_;
    bool held_ = true;
};

}  // namespace lumivex::test

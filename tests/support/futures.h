#pragma once

#include <QEventLoop>
#include <QFuture>
#include <QFutureWatcher>
#include <QPromise>
#include <QThreadPool>

#include <memory>

namespace lumivex::test {

// A future that a pool thread finishes with `value`, as platform services call back on a thread
// of their own.
template <typename T>
QFuture<T> finishElsewhere(T value) {
    auto promise = std::make_shared<QPromise<T>>();
    QFuture<T> future = promise->future();
    promise->start();
    QThreadPool::globalInstance()->start([promise, value] {
        promise->addResult(value);
        promise->finish();
    });
    return future;
}

// Runs the calling thread's event loop until `future` is finished and gives its result.
// Waiting is fine in a test; the code under test never waits.
template <typename T>
T waitFor(QFuture<T> future) {
    QFutureWatcher<T> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(future);
    if (!future.isFinished()) {
        loop.exec();
    }
    return future.result();
}

}  // namespace lumivex::test

#include "store/system_clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>

namespace lumivex {
namespace {

// Runs the event loop until `done` holds, or for at most five seconds on a busy machine.
void runEventsUntil(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(1);
    }
}

TEST(SystemClock, AWaitFiresOnceUnlessDestroyedFirst) {
    SystemClock clock;
    int fired = 0;
    int cancelled = 0;
    std::unique_ptr<StoreClock::Wait> kept = clock.after(0.001, [&] { ++fired; });
    std::unique_ptr<StoreClock::Wait> dropped = clock.after(0.001, [&] { ++cancelled; });
    dropped.reset();
    // The dropped wait was due at the same time as the kept one, and one more turn follows.
    runEventsUntil([&] { return fired == 1; });
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(cancelled, 0);
}

TEST(SystemClock, AWaitMayBeReplacedFromItsOwnCall) {
    SystemClock clock;
    std::unique_ptr<StoreClock::Wait> wait;
    int fired = 0;
    std::function<void()> again = [&] {
        if (++fired < 3) {
            wait = clock.after(0, again);
        }
    };
    wait = clock.after(0, again);
    runEventsUntil([&] { return fired == 3; });
    EXPECT_EQ(fired, 3);
}

}  // namespace
}  // namespace lumivex

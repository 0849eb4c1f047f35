#include "store/system_clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

void runEventsFor(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
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
    runEventsFor(30);
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
    runEventsFor(30);
    EXPECT_EQ(fired, 3);
}

}  // namespace
}  // namespace lumivex

#include "support/event_loop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

namespace lumivex::test {

namespace {

void runOneTurn() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace

void runEventsUntil(const std::function<bool()>& done, const char* what) {
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        runOneTurn();
        if (done()) {
            break;
        }
        if (timer.elapsed() >= 10000) {
            ADD_FAILURE() << what << " did not settle";
            return;
        }
        QThread::msleep(1);
    }
    runOneTurn();
}

}  // namespace lumivex::test

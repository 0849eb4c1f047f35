#include "store/system_clock.h"

#include <QTimer>

#include <algorithm>
#include <cmath>
#include <limits>

namespace lumivex {

namespace {

class TimerWait final : public StoreClock::Wait {
public:
    TimerWait(double seconds, std::function<void()> fire) : timer_(new QTimer) {
        const double milliseconds =
            std::clamp(std::ceil(seconds * 1000), 0.0, double(std::numeric_limits<int>::max()));
        timer_->setSingleShot(true);
        QObject::connect(timer_, &QTimer::timeout, timer_, [fire = std::move(fire)] {
            const auto call = fire;  // the wait may be destroyed by its own call
            call();
        });
        timer_->start(static_cast<int>(milliseconds));
    }

    // A wait replaced from inside its own call must not delete the timer that is calling.
    ~TimerWait() override {
        timer_->stop();
        timer_->disconnect();
        timer_->deleteLater();
    }

private:
    QTimer* timer_;
};

}  // namespace

Date SystemClock::now() const {
    return Date::now();
}

std::unique_ptr<StoreClock::Wait> SystemClock::after(double seconds, std::function<void()> fire) {
    return std::make_unique<TimerWait>(seconds, std::move(fire));
}

}  // namespace lumivex

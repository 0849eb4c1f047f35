#pragma once

#include "store/store_clock.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace lumivex::test {

// A clock that stands still until the test moves it; moving it fires the waits that come due,
// in order of their due time, each at its own time. Main thread.
class ManualClock final : public StoreClock {
public:
    explicit ManualClock(Date start = Date{1800000000.0});

    Date now() const override;
    // Called once, at the next reading of the time.
    void onNextRead(std::function<void()> call) { nextRead_ = std::move(call); }
    std::unique_ptr<Wait> after(double seconds, std::function<void()> fire) override;

    void advance(double seconds);
    // The seconds left of every pending wait, soonest first.
    std::vector<double> pendingWaits() const;
    // Every wait asked for so far, in seconds, in order.
    const std::vector<double>& requestedWaits() const { return requested_; }

private:
    struct Entry {
        Date due;
        std::function<void()> fire;
    };
    using Pending = std::map<std::uint64_t, Entry>;

    Date now_;
    std::uint64_t next_ = 0;
    std::shared_ptr<Pending> pending_ = std::make_shared<Pending>();
    std::vector<double> requested_;
    mutable std::function<void()> nextRead_;
};

}  // namespace lumivex::test

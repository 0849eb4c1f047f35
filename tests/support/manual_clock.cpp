#include "support/manual_clock.h"

#include <algorithm>
#include <utility>

namespace lumivex::test {

ManualClock::ManualClock(Date start) : now_(start) {}

Date ManualClock::now() const {
    if (nextRead_) {
        std::exchange(nextRead_, {})();
    }
    return now_;
}

std::unique_ptr<StoreClock::Wait> ManualClock::after(double seconds, std::function<void()> fire) {
    requested_.push_back(seconds);
    const std::uint64_t id = next_++;
    pending_->emplace(id, Entry{Date{now_.secondsSince1970 + seconds}, std::move(fire)});
    class Handle final : public Wait {
    public:
        Handle(std::weak_ptr<Pending> pending, std::uint64_t id) : pending_(pending), id_(id) {}
        ~Handle() override {
            if (const auto pending = pending_.lock()) {
                pending->erase(id_);
            }
        }

    private:
        std::weak_ptr<Pending> pending_;
        std::uint64_t id_;
    };
    return std::make_unique<Handle>(pending_, id);
}

void ManualClock::advance(double seconds) {
    const Date target{now_.secondsSince1970 + seconds};
    for (;;) {
        auto soonest = std::min_element(
            pending_->begin(), pending_->end(),
            [](const auto& a, const auto& b) { return a.second.due < b.second.due; });
        if (soonest == pending_->end() || soonest->second.due > target) {
            break;
        }
        now_ = std::max(now_, soonest->second.due);
        const std::function<void()> fire = std::move(soonest->second.fire);
        pending_->erase(soonest);
        fire();
    }
    now_ = target;
}

std::vector<double> ManualClock::pendingWaits() const {
    std::vector<double> waits;
    for (const auto& [id, entry] : *pending_) {
        waits.push_back(entry.due.secondsSince1970 - now_.secondsSince1970);
    }
    std::sort(waits.begin(), waits.end());
    return waits;
}

}  // namespace lumivex::test

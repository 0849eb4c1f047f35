#pragma once

#include "store/store_clock.h"

namespace lumivex {

// The wall clock, with waits on single-shot timers owned by their wait. Main thread.
class SystemClock final : public StoreClock {
public:
    Date now() const override;
    std::unique_ptr<Wait> after(double seconds, std::function<void()> fire) override;
};

}  // namespace lumivex

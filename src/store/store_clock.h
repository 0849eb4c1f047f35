#pragma once

#include "platform/date.h"

#include <functional>
#include <memory>

namespace lumivex {

// The store's time: the current date and the waits it sleeps through (the debounce of file
// changes, the purge of deleted records). The system clock waits with single-shot timers; a test
// clock moves time by hand, so no test sleeps. Main thread.
class StoreClock {
public:
    // A pending wait; destroying it cancels the call.
    class Wait {
    public:
        virtual ~Wait() = default;
    };

    virtual ~StoreClock() = default;

    virtual Date now() const = 0;
    // Calls `fire` once on the main thread after `seconds`, unless the wait is destroyed first.
    virtual std::unique_ptr<Wait> after(double seconds, std::function<void()> fire) = 0;

    // The clock as the model and catalog take it.
    Clock function() const {
        return [this] { return now(); };
    }
};

}  // namespace lumivex

#pragma once

#include <functional>

namespace lumivex::test {

// Runs the main thread's event loop until `done` holds, then one more turn; fails the test after
// ten seconds, naming `what` did not settle.
void runEventsUntil(const std::function<bool()>& done, const char* what);

}  // namespace lumivex::test

#include "platform/date.h"

#include <chrono>

namespace lumivex {

Date Date::now() {
    const auto since = std::chrono::system_clock::now().time_since_epoch();
    return {std::chrono::duration<double>(since).count()};
}

}  // namespace lumivex

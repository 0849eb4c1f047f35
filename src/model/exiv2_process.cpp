#include "model/exiv2_process.h"

#include <exiv2/exiv2.hpp>

#include <mutex>

namespace lumivex::Exiv2Process {

namespace {

void silence(int, const char*) {}

// The XMP toolkit registers the namespaces it meets in a file in one table for the process.
void lockXmp(void* mutex, bool lock) {
    if (lock) {
        static_cast<std::mutex*>(mutex)->lock();
    } else {
        static_cast<std::mutex*>(mutex)->unlock();
    }
}

}  // namespace

// HEIC support is off until enabled, the XMP toolkit must be set up before threads use it and told
// how to take turns at its namespace table, and the log would write every malformed file to
// standard error.
void prepare() {
    static std::once_flag once;
    std::call_once(once, [] {
        static std::mutex xmpMutex;
        Exiv2::enableBMFF(true);
        Exiv2::XmpParser::initialize(lockXmp, &xmpMutex);
        Exiv2::LogMsg::setHandler(silence);
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    });
}

}  // namespace lumivex::Exiv2Process

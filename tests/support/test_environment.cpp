#include "support/test_environment.h"

#include <QByteArray>
#include <QtGlobal>

namespace lumivex::test {

namespace {

void setUnlessSet(const char* name, const char* value) {
    if (!qEnvironmentVariableIsSet(name)) {
        qputenv(name, QByteArray(value));
    }
}

}  // namespace

void setTestEnvironment() {
    setUnlessSet("QT_QPA_PLATFORM", "offscreen");
    setUnlessSet("LC_ALL", "C.UTF-8");
    // Crash tests fork a process whose other threads may hold GLib's slice allocator lock at that
    // moment; a thread the child starts would then wait for it forever. Plain malloc is fork-safe.
    setUnlessSet("G_SLICE", "always-malloc");
}

}  // namespace lumivex::test

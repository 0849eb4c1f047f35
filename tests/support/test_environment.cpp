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
    // GLib's slice allocator keeps freed blocks to itself, out of the leak check's sight.
    setUnlessSet("G_SLICE", "always-malloc");
}

}  // namespace lumivex::test

#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv) {
    // Tests run without a display and in one locale, unless a test run asks for another.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (!qEnvironmentVariableIsSet("LC_ALL")) {
        qputenv("LC_ALL", "C.UTF-8");
    }
    // Crash tests fork a process whose other threads may hold GLib's slice allocator lock at that
    // moment; a thread the child starts would then wait for it forever. Plain malloc is fork-safe.
    if (!qEnvironmentVariableIsSet("G_SLICE")) {
        qputenv("G_SLICE", "always-malloc");
    }
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

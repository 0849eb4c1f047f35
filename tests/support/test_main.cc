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
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

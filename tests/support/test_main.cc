#include "support/child_step.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv) {
    lumivex::test::setTestEnvironment();
    QCoreApplication app(argc, argv);
    if (const auto status = lumivex::test::ChildStep::runIfAsked()) {
        return *status;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

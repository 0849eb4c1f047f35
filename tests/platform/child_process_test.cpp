// The test programs' own child processes: a step runs in a fresh process of the program, and a
// child that never ends fails its test as hung once its alarm runs out.

#include "support/child_process.h"
#include "support/child_step.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

using namespace lumivex::test;

namespace {

// Set in the parent before it starts a child: a forked copy would see it set, a fresh one not.
bool setInTheParent = false;

const ChildStep echoing("child-test-echo", [](const QStringList& arguments) {
    ChildStep::sendToParent(setInTheParent ? QByteArrayLiteral("copied|")
                                           : QByteArrayLiteral("fresh|"));
    return arguments.join(u'/').toUtf8();
});

const ChildStep blocking("child-test-block", [](const QStringList&) -> QByteArray {
    for (;;) {
        ::pause();
    }
});

const ChildStep killingItself("child-test-kill", [](const QStringList&) {
    ::kill(::getpid(), SIGKILL);
    return QByteArray();
});

const ChildStep terminated("child-test-terminate", [](const QStringList&) {
    ::raise(SIGTERM);
    return QByteArray();
});

const ChildStep failingAnExpectation("child-test-fail", [](const QStringList&) {
    ADD_FAILURE() << "an expectation failed in the child";
    return QByteArray();
});

TEST(ChildProcess, AStepRunsInAFreshProcessWithTheArgumentsItWasGiven) {
    setInTheParent = true;
    const ChildEnd end =
        runChildStep(echoing, {QStringLiteral("사진 폴더"), QString(), QStringLiteral("a|b")});
    setInTheParent = false;
    EXPECT_TRUE(end.finished);
    EXPECT_FALSE(end.killed);
    EXPECT_EQ(QString::fromUtf8(end.report), QStringLiteral("fresh|사진 폴더//a|b"));
}

TEST(ChildProcess, AChildThatBlocksIsReportedAsHungWhenItsAlarmRunsOut) {
    EXPECT_NONFATAL_FAILURE(
        runChildStep(blocking, {}, {std::chrono::seconds(1)}),
        "child hung: step child-test-block did not end within its alarm of 1 s");
}

TEST(ChildProcess, OnlyAKillIsAnExpectedEndOtherThanAFinish) {
    const ChildEnd killed = runChildStep(killingItself, {});
    EXPECT_TRUE(killed.killed);
    EXPECT_FALSE(killed.finished);
    EXPECT_NONFATAL_FAILURE(runChildStep(terminated, {}),
                            "child step child-test-terminate died by signal 15");
    EXPECT_NONFATAL_FAILURE(runChildStep(failingAnExpectation, {}),
                            "child step child-test-fail failed with exit status 1");
}

TEST(ChildProcess, AChildStillRunningIsKilledWhenItsParentLetsGo) {
    const auto started = std::chrono::steady_clock::now();
    { const ChildProcess child(blocking, {}); }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60));
}

}  // namespace

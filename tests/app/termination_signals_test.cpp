#include "app/termination_signals.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

TEST(TerminationSignals, ASigtermReachesTheMainThreadAsAnOrderlyEnd) {
    TerminationSignals terminations;
    QSignalSpy received(&terminations, &TerminationSignals::received);
    ASSERT_EQ(::raise(SIGTERM), 0);
    EXPECT_TRUE(received.wait(10000));
    EXPECT_EQ(received.size(), 1);
}

}  // namespace
}  // namespace lumivex

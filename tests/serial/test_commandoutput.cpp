#include "tests/support/TestHelpers.h"
#include "modem/CommandOutput.h"
#include "failure/Failure.h"
#include "tests/support/FakeComm.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

struct Sleeps
{
    QList<std::chrono::milliseconds> taken;
    CommandOutput::Sleeper sleeper()
    {
        return [this](std::chrono::milliseconds ms) { taken.append(ms); };
    }
};

TEST(CommandOutput, WritesPausesThenWaitsUntilSent)
{
    FakeComm comm;
    comm.setPortOpen(true);
    comm.drainAfterPolls = 5;
    Sleeps sleeps;
    CommandOutput(comm, sleeps.sleeper()).sendCommand(QStringLiteral("ats0=0\r"));
    EXPECT_EQ(comm.written(), QStringLiteral("ats0=0\r"));
    EXPECT_EQ(sleeps.taken, QList<std::chrono::milliseconds>{50ms});
    EXPECT_EQ(comm.outBufferPolls, 6);
}

TEST(CommandOutput, CarrierBranchDrainsWithoutThePause)
{
    FakeComm comm;
    comm.setPortOpen(true);
    comm.drainAfterPolls = 3;
    Sleeps sleeps;
    CommandOutput(comm, sleeps.sleeper()).sendAndDrain(QStringLiteral("at#cid=1\r"));
    EXPECT_TRUE(sleeps.taken.isEmpty());
    EXPECT_EQ(comm.outBufferPolls, 4);
}

TEST(CommandOutput, FailuresGoToTheCaller)
{
    const struct
    {
        const char *what;
        bool open;
        bool failOutput;
        int drainAfterPolls;
        int expected;
    } cases[] = {
        {"port closed", false, false, 0, ErrorNumber::PortNotOpen},
        {"write refused", true, true, 0, ErrorNumber::PortNotOpen},
        {"never drains", true, false, -1, ErrorNumber::Timeout},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        FakeComm comm;
        comm.setPortOpen(c.open);
        comm.failOutput = c.failOutput;
        comm.drainAfterPolls = c.drainAfterPolls;
        Sleeps sleeps;
        CommandOutput output(comm, sleeps.sleeper(), 100ms);
        EXPECT_EQ(failureNumber([&] { output.sendCommand(QStringLiteral("AT\r")); }), c.expected);
        EXPECT_EQ(failureNumber([&] { output.sendAndDrain(QStringLiteral("AT\r")); }), c.expected);
    }
}

TEST(CommandOutput, GivesUpAfterTwoSecondsByDefault)
{
    FakeComm comm;
    comm.setPortOpen(true);
    comm.drainAfterPolls = -1;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(failureNumber([&] { CommandOutput(comm).sendAndDrain(QStringLiteral("AT\r")); }),
              ErrorNumber::Timeout);
    EXPECT_GE(clock.elapsed(), 2000);
    EXPECT_LT(clock.elapsed(), 10000);
}

} // namespace

#include "calllog/CallPipeline.h"
#include "platform/linux/TtyComm.h"
#include "tests/serial/SimThread.h"
#include "tests/support/FakeClock.h"
#include "tests/support/LocaleScope.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

constexpr int kHoldMs = 300;

// The call path over a real pseudo-terminal to the line simulator, as the window runs it:
// the port's text into the pipeline, the pipeline's commands out through the port.
struct Line
{
    explicit Line(const Result<CallerBook::Entries> &phonebook, bool canGoOffHook = true)
        : comm([this](int) { return sim.path(); })
    {
        sim.call([&](LineSimulator &s) {
            s.setCanGoOffHook(canGoOffHook);
            s.setRingsAfterReport(20, 250);
        });
        comm.setPortOpen(true);
        QObject::connect(&comm, &Comm::OnComm, &comm, [this] {
            if (comm.CommEvent() == Comm::EventReceive)
                pipeline.receive(comm.Input());
        });
        pipeline.dateSeparator() = u"/"_qs;
        pipeline.timeSeparator() = u":"_qs;
        QObject::connect(&pipeline.recorder(), &CallRecorder::callsCompleted, &pipeline,
                         [this](const QList<ReceivedCall> &calls) { completed += calls; });
        pipeline.startCallers(u"GB"_qs, [phonebook] { return phonebook; });
        ScreenRules rules;
        rules.mode = ScreenRules::Mode::List;
        rules.holdMs = kHoldMs;
        pipeline.startScreening(rules, [this](const QString &command) {
            comm.setOutput(command);
            return true;
        });
        pipeline.line()->setCommands(u"ATH0\r"_qs, u"AT+VCID=1\r"_qs);
    }

    QStringList commands()
    {
        QStringList texts;
        for (const ReceivedCommand &c : sim.call([](LineSimulator &s) { return s.receivedCommands(); }))
            texts << c.text;
        return texts;
    }

    SimThread sim;
    const FakeClock clock{dates::makeDateTime(QDate(2002, 10, 13), QTime(14, 25))};
    CallPipeline pipeline{clock};
    TtyComm comm;
    QList<ReceivedCall> completed;
};

CallerBook::Entries lists()
{
    return {{u"0800*"_qs, QString(), u"block"_qs},
            {u"0800 123 4567"_qs, u"Helpline"_qs, QString()},
            {QString(), u"SPAM*"_qs, u"block-name"_qs}};
}

} // namespace

// What reaches the modem for each kind of caller: off hook at once, the hold, the modem's
// hang-up and caller-ID commands; nothing at all for a caller who may ring.
TEST(HangUp, TheModemHearsTheSequenceOnlyForCallsToBlock)
{
    LocaleScope locale("en_GB.UTF-8");
    const QStringList sequence{u"ATH1"_qs, u"ATH0"_qs, u"AT+VCID=1"_qs};
    const struct
    {
        const char *number, *name;
        QStringList commands;
        const char *unwanted;
    } rows[] = {
        {"08005550000", "", sequence, "on the block list (0800*)"},
        {"08001234567", "", {}, ""}, // a contact inside a blocked range
        {"01632960001", "SPAM CO", sequence, "the name matches a rule (SPAM*)"},
        {"01632960001", "JONES", {}, ""},
    };
    for (const auto &row : rows) {
        Line line(lists());
        ASSERT_TRUE(eventually([&] { return line.pipeline.callers()->readable(); }));
        line.sim.call([&](LineSimulator &s) {
            s.sendReport({u"1013"_qs, u"1425"_qs, QString::fromUtf8(row.number),
                          QString::fromUtf8(row.name), {}});
        });
        ASSERT_TRUE(eventually([&] { return !line.completed.isEmpty(); })) << row.number;
        const ReceivedCall &call = line.completed.constFirst();
        EXPECT_EQ(call.unwanted, QString::fromUtf8(row.unwanted)) << row.number;
        EXPECT_EQ(call.call.blocked, !row.commands.isEmpty()) << row.number;
        if (row.commands.isEmpty()) {
            QTest::qWait(kHoldMs * 2);
            EXPECT_EQ(line.commands(), QStringList()) << row.number;
            EXPECT_TRUE(line.sim.call([](LineSimulator &s) { return s.isRinging(); }));
            continue;
        }
        QSignalSpy done(line.pipeline.line(), &LineGuard::done);
        ASSERT_TRUE(eventually([&] { return line.commands().size() == 3; })) << row.number;
        EXPECT_EQ(line.commands(), row.commands) << row.number;
        EXPECT_FALSE(line.sim.call([](LineSimulator &s) { return s.isRinging(); }));
        // The line is held off hook for the hold before it is put back.
        const QList<ReceivedCommand> sent =
            line.sim.call([](LineSimulator &s) { return s.receivedCommands(); });
        const qint64 held = sent.at(0).at.msecsTo(sent.at(1).at);
        EXPECT_GE(held, kHoldMs - 20) << row.number;
        EXPECT_LT(held, kHoldMs + 5000) << row.number;
        EXPECT_TRUE(eventually([&] { return done.size() == 1; }));
    }
}

// A caller-ID-only device answers ERROR to going off hook: said once, and from then on the
// calls to block are only marked; a phonebook that cannot be read hangs up on no one.
TEST(HangUp, ADeviceThatCannotAndAPhonebookThatFailsLeaveTheCallRinging)
{
    LocaleScope locale("en_GB.UTF-8");
    {
        Line line(lists(), false);
        QSignalSpy remarks(&line.pipeline, &CallPipeline::screeningRemark);
        ASSERT_TRUE(eventually([&] { return line.pipeline.callers()->readable(); }));
        for (int call = 0; call < 2; ++call) {
            line.sim.call([](LineSimulator &s) {
                s.sendReport({u"1013"_qs, u"1425"_qs, u"08005550000"_qs, {}, {}});
            });
            ASSERT_TRUE(eventually([&] { return line.completed.size() == call + 1; }));
            ASSERT_TRUE(eventually([&] { return !line.pipeline.line()->busy(); }));
        }
        EXPECT_EQ(line.commands(), QStringList{u"ATH1"_qs});
        ASSERT_EQ(remarks.size(), 1);
        EXPECT_TRUE(remarks.at(0).at(0).toString().contains(u"cannot hang up"_qs));
        EXPECT_FALSE(line.completed.at(1).call.blocked);
        EXPECT_EQ(line.completed.at(1).unwanted, u"on the block list (0800*)"_qs);
        EXPECT_TRUE(line.sim.call([](LineSimulator &s) { return s.isRinging(); }));
    }
    {
        Line line(Failure(0, u"no such table"_qs));
        QSignalSpy remarks(&line.pipeline, &CallPipeline::screeningRemark);
        line.sim.call([](LineSimulator &s) {
            s.sendReport({u"1013"_qs, u"1425"_qs, u"08005550000"_qs, {}, {}});
        });
        ASSERT_TRUE(eventually([&] { return !line.completed.isEmpty(); }));
        QTest::qWait(kHoldMs);
        EXPECT_EQ(line.commands(), QStringList());
        EXPECT_FALSE(line.completed.constFirst().call.blocked);
        EXPECT_EQ(remarks.size(), 1);
    }
}

#include "calllog/CallerIdDecoder.h"
#include "tests/support/FakeClock.h"
#include "tests/support/LocaleScope.h"
#include "tests/serial/SimThread.h"
#include "platform/linux/TtyComm.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

// The receive branch as the window runs it: all waiting text, upper-cased, into the buffer.
QList<DecodedCall> decodeWhole(CallerIdDecoder &decoder, const QString &text)
{
    QString buffer = text.toUpper();
    return decoder.decode(buffer, QStringLiteral("/"), QStringLiteral(":"));
}

QByteArray realisticStream()
{
    QByteArray stream;
    ReportStyle plain;
    stream += formatReport({QStringLiteral("1013"), QStringLiteral("1425"), QStringLiteral("5550123"),
                            QStringLiteral("DOE JOHN"), {}},
                           plain);
    ReportStyle terse;
    terse.spacesAroundEquals = false;
    terse.blankLines = false;
    terse.crOnly = true;
    terse.nameBeforeNumber = true;
    stream += formatReport({QStringLiteral("1014"), QStringLiteral("0901"), QStringLiteral("0123456789"),
                            QStringLiteral("DAVID"), QStringLiteral("HELLO")},
                           terse);
    ReportStyle ringy;
    ringy.ringsBefore = 2;
    ringy.ringsAfter = 3;
    stream += formatReport({QStringLiteral("1231"), QStringLiteral("2359"), QString(), {}, {}}, ringy);
    stream += "\r\nOK\r\natz\r\r\nOK\r\n";
    stream += formatReport({QStringLiteral("0102"), QStringLiteral("0000"), QStringLiteral("O"), {}, {}});
    return stream;
}

TEST(ReceiveToDecoder, RandomPiecesThroughTheSerialPathGiveTheCallsOfTheWholeStream)
{
    LocaleScope locale("C.UTF-8");
    const FakeClock clock(dates::makeDateTime(QDate(2002, 10, 20), QTime(12, 0)));
    const QByteArray stream = realisticStream();

    CallerIdDecoder reference(clock);
    const QList<DecodedCall> expected = decodeWhole(reference, QString::fromUtf8(stream));
    ASSERT_EQ(expected.size(), 4);

    SimThread sim;
    TtyComm comm([&](int) { return sim.path(); });
    comm.setPortOpen(true);

    CallerIdDecoder decoder(clock);
    QString buffer;
    QList<DecodedCall> calls;
    int reads = 0;
    QObject::connect(&comm, &Comm::OnComm, &comm, [&] {
        if (comm.CommEvent() != Comm::EventReceive)
            return;
        ++reads;
        buffer += comm.Input().toUpper();
        calls += decoder.decode(buffer, QStringLiteral("/"), QStringLiteral(":"));
    });

    QRandomGenerator random(20021013);
    for (int round = 0; round < 3; ++round) {
        QList<int> sizes;
        for (int i = 0; i < 64; ++i)
            sizes.append(random.bounded(1, 12));
        sim.call([sizes](LineSimulator &s) { s.setPieces(sizes, 2); });
        calls.clear();
        sim.send(stream);
        ASSERT_TRUE(eventually([&] { return calls.size() >= expected.size() && !sim.sending(); }, 60000))
            << "round " << round << ": " << calls.size() << " calls";
        QTest::qWait(50);
        EXPECT_EQ(calls, expected) << "round " << round;
    }
    EXPECT_GT(reads, 10); // the stream really came in pieces
}

} // namespace

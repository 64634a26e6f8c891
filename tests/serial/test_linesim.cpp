#include "tools/linesim/LineSimulator.h"

#include <gtest/gtest.h>

namespace {

TEST(LineSimulator, FormatsReportsLikeTheRealModems)
{
    const CallerIdReport report{QStringLiteral("1013"), QStringLiteral("1425"), QStringLiteral("5550123"),
                                QStringLiteral("DOE JOHN"), {}};
    const struct
    {
        const char *what;
        ReportStyle style;
        const char *expected;
    } cases[] = {
        {"verbose", {}, "\r\nRING\r\n\r\nDATE = 1013\r\nTIME = 1425\r\nNMBR = 5550123\r\nNAME = DOE JOHN\r\n\r\n"},
        {"terse, CR only, name first", {0, 1, false, false, true, true},
         "DATE=1013\rTIME=1425\rNAME=DOE JOHN\rNMBR=5550123\r\rRING\r"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(formatReport(report, c.style), QByteArray(c.expected)) << c.what;
}

} // namespace

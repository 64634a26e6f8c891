#include "ListenAddress.h"
#include "NcidLines.h"

#include <gtest/gtest.h>

namespace {

const QDateTime Morning(QDate(2026, 12, 9), QTime(10, 15));

struct LineCase
{
    const char *what;
    NcidLines::Kind kind;
    Call call;
    const char *line;
};

void PrintTo(const LineCase &c, std::ostream *os)
{
    *os << c.what;
}

class CallLines : public ::testing::TestWithParam<LineCase>
{
};

TEST_P(CallLines, AreWhatClientsParse)
{
    const LineCase &c = GetParam();
    EXPECT_EQ(NcidLines::callLine(c.kind, c.call), QByteArray(c.line)) << c.what;
}

using K = NcidLines::Kind;
INSTANTIATE_TEST_SUITE_P(
    Table, CallLines,
    ::testing::Values(
        LineCase{"live call without a name",
                 K::Live,
                 {Morning, "5550123", ""},
                 "CID: *DATE*12092026*TIME*1015*LINE*-*NMBR*5550123*MESG*NONE*NAME*NO NAME*\n"},
        LineCase{"logged call with a name",
                 K::Log,
                 {Morning, "5550123", "JOHN DOE"},
                 "CIDLOG: *DATE*12092026*TIME*1015*LINE*-*NMBR*5550123*MESG*NONE*NAME*JOHN DOE*\n"},
        LineCase{"no number, just after midnight",
                 K::Live,
                 {QDateTime(QDate(2027, 1, 2), QTime(0, 5)), "", ""},
                 "CID: *DATE*01022027*TIME*0005*LINE*-*NMBR*NO-NUMBER*MESG*NONE*NAME*NO NAME*\n"},
        LineCase{"withheld",
                 K::Live,
                 {Morning, "P", "P"},
                 "CID: *DATE*12092026*TIME*1015*LINE*-*NMBR*PRIVATE*MESG*NONE*NAME*PRIVATE*\n"},
        LineCase{"out of area",
                 K::Log,
                 {Morning, "O", "O"},
                 "CIDLOG: *DATE*12092026*TIME*1015*LINE*-*NMBR*OUT-OF-AREA*MESG*NONE*NAME*"
                 "OUT-OF-AREA*\n"},
        LineCase{"markers only as the whole value",
                 K::Live,
                 {Morning, "PO", "OP"},
                 "CID: *DATE*12092026*TIME*1015*LINE*-*NMBR*PO*MESG*NONE*NAME*OP*\n"},
        LineCase{"separators and line ends in caller text",
                 K::Live,
                 {Morning, "555*0123", "A*B\r\n300 End of connection startup\n"},
                 "CID: *DATE*12092026*TIME*1015*LINE*-*NMBR*555 0123*MESG*NONE*NAME*A B  300 End "
                 "of connection startup *\n"},
        LineCase{
            "other controls",
            K::Live,
            {Morning, QStringLiteral("555\x1b[2J\t\u0085\u2028"), QStringLiteral("\x7f\u2029X")},
            "CID: *DATE*12092026*TIME*1015*LINE*-*NMBR*555 [2J   *MESG*NONE*NAME*  X*\n"},
        LineCase{"text beyond ASCII as UTF-8",
                 K::Live,
                 {Morning, "+44 20", QStringLiteral("JOSÉ 李")},
                 "CID: *DATE*12092026*TIME*1015*LINE*-*NMBR*+44 20*MESG*NONE*NAME*JOS\xc3\x89 "
                 "\xe6\x9d\x8e*\n"},
        LineCase{"a moment that cannot be read",
                 K::Log,
                 {QDateTime(), "1", "N"},
                 "CIDLOG: *DATE*00000000*TIME*0000*LINE*-*NMBR*1*MESG*NONE*NAME*N*\n"}));

TEST(CallLines, KeepEveryValueBounded)
{
    const QString huge(100000, QLatin1Char('9'));
    const QByteArray line = NcidLines::callLine(K::Live, {Morning, huge, huge});
    EXPECT_LT(line.size(), 3 * NcidLines::MaxFieldLength);
    EXPECT_EQ(line.count('\n'), 1);
    EXPECT_TRUE(line.endsWith("*\n"));

    // A cut through a surrogate pair leaves no half of it.
    QString emoji;
    for (int i = 0; i < NcidLines::MaxFieldLength; ++i)
        emoji += QStringLiteral("😀");
    const QString value = NcidLines::fieldValue(emoji);
    EXPECT_LE(value.size(), NcidLines::MaxFieldLength);
    EXPECT_FALSE(value.back().isHighSurrogate());
    EXPECT_EQ(QString::fromUtf8(value.toUtf8()), value);
}

struct AddressCase
{
    const char *text;
    bool valid;
    const char *address;
    quint16 port;
};

void PrintTo(const AddressCase &c, std::ostream *os)
{
    *os << '"' << QByteArray(c.text).toPercentEncoding(" :[].").constData() << '"';
}

class ListenAddresses : public ::testing::TestWithParam<AddressCase>
{
};

TEST_P(ListenAddresses, ParseAsWritten)
{
    const AddressCase &c = GetParam();
    const std::optional<ListenAddress> where = ListenAddress::parse(QString::fromUtf8(c.text));
    ASSERT_EQ(where.has_value(), c.valid) << c.text;
    if (!where)
        return;
    EXPECT_EQ(where->address, QHostAddress(QString::fromLatin1(c.address))) << c.text;
    EXPECT_EQ(where->port, c.port) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ListenAddresses,
    ::testing::Values(
        AddressCase{"3333", true, "127.0.0.1", 3333},
        AddressCase{" 3333 ", true, "127.0.0.1", 3333}, AddressCase{"0", true, "127.0.0.1", 0},
        AddressCase{"127.0.0.1:3333", true, "127.0.0.1", 3333},
        AddressCase{"0.0.0.0:3333", true, "0.0.0.0", 3333},
        AddressCase{"192.168.1.20:65535", true, "192.168.1.20", 65535},
        AddressCase{"localhost:3333", true, "127.0.0.1", 3333},
        AddressCase{"[::1]:3333", true, "::1", 3333}, AddressCase{"[::]:3333", true, "::", 3333},
        AddressCase{"", false, "", 0}, AddressCase{"feed", false, "", 0},
        AddressCase{"65536", false, "", 0}, AddressCase{"+3333", false, "", 0},
        AddressCase{"-1", false, "", 0}, AddressCase{"033333", false, "", 0},
        AddressCase{"127.0.0.1", false, "", 0}, AddressCase{"127.0.0.1:", false, "", 0},
        AddressCase{":3333", false, "", 0}, AddressCase{"300.1.1.1:3333", false, "", 0},
        AddressCase{"example.org:3333", false, "", 0}, AddressCase{"1.2.3:3333", false, "", 0},
        AddressCase{"::1:3333", false, "", 0}, AddressCase{"[::1]", false, "", 0},
        AddressCase{"[::1]3333", false, "", 0}, AddressCase{"[127.0.0.1]:3333", false, "", 0},
        AddressCase{"[]:3333", false, "", 0},
        AddressCase{"127.0.0.1:3333\n", true, "127.0.0.1", 3333},
        AddressCase{"127.0.0.1:33 33", false, "", 0}));

TEST(ListenAddresses, WriteBack)
{
    EXPECT_EQ(ListenAddress::parse(QStringLiteral("3333"))->toString(),
              QStringLiteral("127.0.0.1:3333"));
    EXPECT_EQ(ListenAddress::parse(QStringLiteral("[::1]:0"))->toString(),
              QStringLiteral("[::1]:0"));
}

} // namespace

#include "feed/ListenAddress.h"
#include "feed/NcidLines.h"

#include <gtest/gtest.h>

namespace {

const QDateTime Morning(QDate(2026, 12, 9), QTime(10, 15));

using K = NcidLines::Kind;

TEST(CallLines, AreWhatClientsParse)
{
    const struct
    {
        const char *what;
        K kind;
        Call call;
        const char *line;
    } cases[] = {
        {"live call without a name",
         K::Live,
         {Morning, "5550123", ""},
         "CID: *DATE*12092026*TIME*1015*LINE*-*NMBR*5550123*MESG*NONE*NAME*NO NAME*\n"},
        {"logged call with a name",
         K::Log,
         {Morning, "5550123", "JOHN DOE"},
         "CIDLOG: *DATE*12092026*TIME*1015*LINE*-*NMBR*5550123*MESG*NONE*NAME*JOHN DOE*\n"},
        {"no number, just after midnight",
         K::Live,
         {QDateTime(QDate(2027, 1, 2), QTime(0, 5)), "", ""},
         "CID: *DATE*01022027*TIME*0005*LINE*-*NMBR*NO-NUMBER*MESG*NONE*NAME*NO NAME*\n"},
        {"withheld",
         K::Live,
         {Morning, "P", "P"},
         "CID: *DATE*12092026*TIME*1015*LINE*-*NMBR*PRIVATE*MESG*NONE*NAME*PRIVATE*\n"},
        {"out of area",
         K::Log,
         {Morning, "O", "O"},
         "CIDLOG: *DATE*12092026*TIME*1015*LINE*-*NMBR*OUT-OF-AREA*MESG*NONE*NAME*"
         "OUT-OF-AREA*\n"},
        {"markers only as the whole value",
         K::Live,
         {Morning, "PO", "OP"},
         "CID: *DATE*12092026*TIME*1015*LINE*-*NMBR*PO*MESG*NONE*NAME*OP*\n"},
        {"separators and line ends in caller text",
         K::Live,
         {Morning, "555*0123", "A*B\r\n300 End of connection startup\n"},
         "CID: *DATE*12092026*TIME*1015*LINE*-*NMBR*555 0123*MESG*NONE*NAME*A B  300 End "
         "of connection startup *\n"},
        {"other controls",
         K::Live,
         {Morning, QStringLiteral("555\x1b[2J\t\u0085\u2028"), QStringLiteral("\x7f\u2029X")},
         "CID: *DATE*12092026*TIME*1015*LINE*-*NMBR*555 [2J   *MESG*NONE*NAME*  X*\n"},
        {"text beyond ASCII as UTF-8",
         K::Live,
         {Morning, "+44 20", QStringLiteral("JOSÉ 李")},
         "CID: *DATE*12092026*TIME*1015*LINE*-*NMBR*+44 20*MESG*NONE*NAME*JOS\xc3\x89 "
         "\xe6\x9d\x8e*\n"},
        {"a moment that cannot be read",
         K::Log,
         {QDateTime(), "1", "N"},
         "CIDLOG: *DATE*00000000*TIME*0000*LINE*-*NMBR*1*MESG*NONE*NAME*N*\n"}};
    for (const auto &c : cases)
        EXPECT_EQ(NcidLines::callLine(c.kind, c.call), QByteArray(c.line)) << c.what;
}

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

    // Characters that would reorder a client's screen are blanked like the controls.
    EXPECT_EQ(NcidLines::fieldValue(QStringLiteral("555\u202E1234\u2066X\u061C\u200F")),
              QStringLiteral("555 1234 X  "));
}

TEST(ListenAddresses, ParseAsWrittenAndWriteBack)
{
    const struct
    {
        const char *text;
        const char *shown;
    } accepted[] = {{"3333", "127.0.0.1:3333"},
                    {" 3333 ", "127.0.0.1:3333"},
                    {"0", "127.0.0.1:0"},
                    {"127.0.0.1:3333", "127.0.0.1:3333"},
                    {"0.0.0.0:3333", "0.0.0.0:3333"},
                    {"192.168.1.20:65535", "192.168.1.20:65535"},
                    {"localhost:3333", "127.0.0.1:3333"},
                    {"[::1]:3333", "[::1]:3333"},
                    {"[::]:3333", "[::]:3333"},
                    {"[::1]:0", "[::1]:0"},
                    {"127.0.0.1:3333\n", "127.0.0.1:3333"}};
    for (const auto &c : accepted) {
        const std::optional<ListenAddress> where = ListenAddress::parse(QString::fromUtf8(c.text));
        EXPECT_EQ(where ? where->toString() : QString(), QString::fromLatin1(c.shown)) << c.text;
    }
    for (const char *text :
         {"", "feed", "65536", "+3333", "-1", "033333", "127.0.0.1", "127.0.0.1:", ":3333",
          "300.1.1.1:3333", "example.org:3333", "1.2.3:3333", "::1:3333", "[::1]", "[::1]3333",
          "[127.0.0.1]:3333", "[]:3333", "127.0.0.1:33 33"})
        EXPECT_FALSE(ListenAddress::parse(QString::fromUtf8(text))) << '"' << text << '"';
}

} // namespace

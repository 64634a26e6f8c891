#include "modem/ReceiveLog.h"

#include <gtest/gtest.h>

namespace {

QString bs(const char *text)
{
    return QString::fromLatin1(text).replace(QLatin1Char('~'), QChar(8));
}

TEST(ReceiveLog, Backspaces)
{
    const struct
    {
        const char *in; // '~' stands for a backspace
        const char *out;
    } cases[] = {
        {"ab~c", "ac"},   {"~a", "a"},    {"~~~", ""},     {"a~~b", "b"},
        {"abc~~", "a"},   {"a~b~c", "c"}, {"ab~~~c", "c"}, {"AT~~ATZ", "ATZ"},
        {"no backspace", "no backspace"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(receivelog::applyBackspaces(bs(c.in)), QString::fromLatin1(c.out)) << c.in;

    // A surrogate pair goes as one character.
    EXPECT_EQ(receivelog::applyBackspaces(QString::fromUtf8("a\xF0\x9F\x98\x80") + QChar(8)),
              QStringLiteral("a"));
    // A long run costs one pass (a line full of noise must not stall the window).
    const QString noise = QString(200000, QLatin1Char('x')) + QString(200000, QChar(8));
    EXPECT_TRUE(receivelog::applyBackspaces(noise).isEmpty());
}

TEST(ReceiveLog, LineEnds)
{
    const struct
    {
        const char *in;
        const char *out;
    } cases[] = {
        {"OK\r\n", "OK\r\n"},       {"OK\r", "OK\r\n"},     {"OK\n", "OK"},
        {"\n\rRING\r\n", "\r\nRING\r\n"}, {"A\r\r\nB", "A\r\n\r\nB"}, {"\n\n\n", ""},
        {"A\n\rB", "A\r\nB"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(receivelog::normaliseLineEnds(QString::fromLatin1(c.in)), QString::fromLatin1(c.out))
            << c.in;
    // Backspaces come first: this one takes the LF before it, not the A.
    EXPECT_EQ(receivelog::prepare(bs("A\n~B\r")), QStringLiteral("AB\r\n"));
}

TEST(ReceiveLog, TrimsALogLongerThan6400Characters)
{
    const struct
    {
        qsizetype length;
        qsizetype remaining; // before the next text is appended
    } cases[] = {{0, 0}, {6400, 6400}, {6401, 3202}, {9000, 5801}};
    for (const auto &c : cases) {
        QString log;
        for (qsizetype i = 0; i < c.length; ++i)
            log += QChar(char16_t(u'a' + i % 26));
        const QString tail = log.mid(log.size() - c.remaining);
        receivelog::append(log, QString());
        EXPECT_EQ(log, tail) << c.length;
    }

    // The text appended last may carry the log past 6400; the next append trims again.
    QString log(6000, QLatin1Char('x'));
    receivelog::append(log, QString(1000, QLatin1Char('y')));
    EXPECT_EQ(log.size(), 7000);
    receivelog::append(log, QStringLiteral("z\r"));
    EXPECT_EQ(log.size(), 7000 - 3199 + 2);
    EXPECT_TRUE(log.endsWith(QLatin1String("yz\n")));
}

} // namespace

#include "failure/Failure.h"
#include "shell/TipLine.h"
#include "shell/frmMain.h"

#include <QLabel>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QString tipText(const frmMain &w)
{
    return w.lblTip->text();
}

} // namespace

TEST(TipWidth, WideCharactersCountTwo)
{
    EXPECT_EQ(tipline::ansiWidth(u"abc"), 3);
    EXPECT_EQ(tipline::ansiWidth(u"来电abc"), 7);
    EXPECT_EQ(tipline::ansiWidth(u"！"), 2);
    EXPECT_EQ(tipline::ansiWidth(u"é"), 1);
}

TEST(ShowTip, StillTextIsShownWholeAndStopsTheMarquee)
{
    frmMain w;
    ASSERT_TRUE(w.Timer1->isActive()); // the marquee runs from load
    const QString seventy(70, QLatin1Char('x'));
    w.ShowTip(seventy, Tip::Problem, false);
    EXPECT_EQ(tipText(w), seventy);
    EXPECT_EQ(w.strTip, seventy);
    EXPECT_FALSE(w.Timer1->isActive());
    EXPECT_EQ(w.lblTipForeColor(), 0x8080FFu);
    EXPECT_EQ(w.lblTip->palette().color(QPalette::WindowText), QColor(255, 128, 128));
}

TEST(ShowTip, ScrollingTextIsCentredInSixtyBytes)
{
    struct Case
    {
        QString text;
        int spaces;
    };
    const Case cases[] = {
        {QString(55, QLatin1Char('a')), 2},
        {QString(58, QLatin1Char('a')), 1},
        {QString(59, QLatin1Char('a')), 0},
        {QString(61, QLatin1Char('a')), 0},
        {QString(25, QChar(0x6765)) + QStringLiteral("abcde"), 2}, // 55 bytes
    };
    for (const Case &c : cases) {
        frmMain w;
        w.ShowTip(c.text, Tip::Good, true);
        const QString pad(c.spaces, QLatin1Char(' '));
        EXPECT_EQ(tipText(w), pad + c.text + pad);
        EXPECT_TRUE(w.Timer1->isActive());
    }
}

TEST(ShowTip, TooWideToScrollFailsAfterKeepingTheText)
{
    frmMain w;
    w.ShowTip(QStringLiteral("before"), Tip::LogProblem, false);
    const QString tooWide(62, QLatin1Char('a'));
    EXPECT_THROW(w.ShowTip(tooWide, Tip::Problem, true), Failure);
    EXPECT_EQ(w.strTip, tooWide);
    EXPECT_EQ(tipText(w), QStringLiteral("before"));
    EXPECT_EQ(w.lblTipForeColor(), 0x0000FFu);
    EXPECT_FALSE(w.Timer1->isActive());
}

TEST(ShowTip, ClearingKeepsColourAndTimer)
{
    frmMain w;
    w.ShowTip(QStringLiteral("call"), Tip::Problem, true);
    w.ShowTip(QString(), Tip::Good, false);
    EXPECT_EQ(tipText(w), QString());
    EXPECT_TRUE(w.strTip.isEmpty());
    EXPECT_EQ(w.lblTipForeColor(), 0x8080FFu);
    EXPECT_TRUE(w.Timer1->isActive());
    w.ShowTip(QStringLiteral("next"), Tip::Good, false);
    EXPECT_EQ(w.lblTipForeColor(), 0xFFFF00u);
}

TEST(ShowTip, MarkupIsShownLiterally)
{
    frmMain w;
    const QString hostile = QStringLiteral("<b>5550123</b><img src=x>");
    w.ShowTip(hostile, Tip::Problem, false);
    EXPECT_EQ(w.lblTip->textFormat(), Qt::PlainText);
    EXPECT_EQ(tipText(w), hostile);
}

TEST(ShowTip, CaptionFollowsTheStatusOnlyWhileMinimised)
{
    frmMain w;
    w.setWindowTitle(QStringLiteral("hi"));
    w.ShowTip(QStringLiteral("normal"), Tip::Problem, false);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("hi"));

    w.setWindowState(Qt::WindowMinimized);
    w.ShowTip(QStringLiteral("Sorry , I couldn't use the modem"), Tip::Problem, false);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Sorry , I couldn't use the modem"));
    w.ShowTip(QString(), Tip::Good, false);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Sorry , I couldn't use the modem"));
}

TEST(CenterTip, PadsOnlyWhileTheMarqueeRuns)
{
    frmMain w;
    w.CenterTip(QString(), 48);
    EXPECT_EQ(tipText(w), QString(48, QLatin1Char(' ')));
    EXPECT_TRUE(w.strTip.isEmpty());

    w.Timer1->stop();
    w.CenterTip(QStringLiteral("abc"), 48);
    EXPECT_EQ(tipText(w), QStringLiteral("abc"));

    w.Timer1->start();
    w.CenterTip(QStringLiteral("abc"), 48);
    const QString pad(22, QLatin1Char(' '));
    EXPECT_EQ(tipText(w), pad + QStringLiteral("abc") + pad);
    EXPECT_THROW(w.CenterTip(QString(50, QLatin1Char('x')), 48), Failure);
    EXPECT_EQ(tipText(w), pad + QStringLiteral("abc") + pad);
}

TEST(Marquee, EachTickRotatesTheLineAndComesBackRound)
{
    frmMain w;
    w.Timer1_Timer(); // strTip still empty: nothing moves
    EXPECT_EQ(tipText(w), QString());

    w.ShowTip(QString(55, QLatin1Char('a')) + QStringLiteral("Z"), Tip::Problem, true);
    const QString start = tipText(w);
    w.Timer1_Timer();
    EXPECT_EQ(tipText(w), start.mid(1) + start.at(0));
    for (qsizetype i = 1; i < start.size(); ++i)
        w.Timer1_Timer();
    EXPECT_EQ(tipText(w), start);
    EXPECT_EQ(w.strTip, QString(55, QLatin1Char('a')) + QStringLiteral("Z"));
}

TEST(Marquee, OneCharacterStaysPut)
{
    frmMain w;
    QString one = QStringLiteral("x");
    w.ScrollText(one);
    EXPECT_EQ(one, QStringLiteral("x"));
}

// Each kind of status text in the colour the user knows it by, on the label too.
TEST(ShowTip, EachKindOfTextHasItsColour)
{
    const struct
    {
        Tip kind;
        quint32 colour;
        QColor shown;
    } cases[] = {
        {Tip::Good, 0xFFFF00u, QColor(0, 255, 255)},
        {Tip::Call, 0x8080FFu, QColor(255, 128, 128)},
        {Tip::Problem, 0x8080FFu, QColor(255, 128, 128)},
        {Tip::LogProblem, 0x0000FFu, QColor(255, 0, 0)},
    };
    frmMain w;
    for (const auto &c : cases) {
        w.ShowTip(QStringLiteral("text"), c.kind, false);
        EXPECT_EQ(w.lblTipForeColor(), c.colour) << int(c.kind);
        EXPECT_EQ(w.tipKind(), c.kind);
        EXPECT_EQ(w.lblTip->palette().color(QPalette::WindowText), c.shown) << int(c.kind);
        w.ShowTip(QString(), Tip::Good, false);
        EXPECT_EQ(w.tipKind(), c.kind) << "a cleared line keeps what its last text told";
    }
}

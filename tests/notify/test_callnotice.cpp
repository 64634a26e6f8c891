#include "calllog/CallNotice.h"
#include "locale/DateServices.h"
#include "tests/support/LocaleScope.h"
#include "calllog/NoticePacer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const QDateTime kOct13 = dates::makeDateTime(QDate(2002, 10, 13), QTime(14, 25));

Call call(const char *number, const char *name, QDateTime when = kOct13)
{
    return {when, QString::fromUtf8(number), QString::fromUtf8(name)};
}

Call hungUp(Call call)
{
    call.blocked = true;
    return call;
}

struct TextCase
{
    const char *what;
    Call call;
    qint64 calls;
    const char *summary;
    const char *body;
};

} // namespace

TEST(CallNoticeText, SaysWhoAndWhenInPlainWords)
{
    // %1 in a body: the moment, 10/13/2002 14:25.
    const TextCase cases[] = {
        {"number and name", call("5551234", "JOHN SMITH"), 1, "5551234", "JOHN SMITH\n%1"},
        {"number alone", call("5551234", ""), 1, "5551234", "%1"},
        {"P", call("P", ""), 1, "Private number", "%1"},
        {"PRIVATE", call("PRIVATE", ""), 1, "Private number", "%1"},
        {"O", call("O", ""), 1, "Number unavailable", "%1"},
        {"OUT-OF-AREA", call("OUT-OF-AREA", ""), 1, "Number unavailable", "%1"},
        {"UNAVAILABLE", call("UNAVAILABLE", ""), 1, "Number unavailable", "%1"},
        {"marker with blanks, any case", call(" private ", ""), 1, "Private number", "%1"},
        {"marker number and marker name", call("P", "P"), 1, "Private number", "%1"},
        {"name P without a number", call("", "P"), 1, "Private number", "%1"},
        {"name O without a number", call("", "O"), 1, "Number unavailable", "%1"},
        {"name marker beside a real number", call("5551234", "O"), 1, "5551234", "%1"},
        {"nothing at all", call("", ""), 1, "Number unavailable", "%1"},
        {"a longer name is a name", call("5551234", "PRIVATE"), 1, "5551234", "PRIVATE\n%1"},
        {"fields that only begin like a marker", call("P5551234", "OP"), 1, "P5551234", "OP\n%1"},
        {"line breaks in the name", call("5551234", "A\r\nB\tC\x01"), 1, "5551234", "A  B C\n%1"},
        {"markup is text", call("<b>1</b>", "<b>x</b> &amp;"), 1, "<b>1</b>", "<b>x</b> &amp;\n%1"},
        {"a flood", call("5551234", "JOHN"), 10, "5551234", "JOHN\n%1\nLatest of 10 calls"},
        {"no moment", call("5551234", "JOHN", QDateTime()), 1, "5551234", "JOHN"},
    };
    for (const TextCase &c : cases) {
        SCOPED_TRACE(c.what);
        const CallNoticeText text = callNoticeText(c.call, c.calls);
        EXPECT_EQ(text.summary, QString::fromUtf8(c.summary));
        EXPECT_EQ(text.body, QString::fromUtf8(c.body).replace(QStringLiteral("%1"),
                                                               QStringLiteral("10/13/2002 14:25")));
    }
}

// The phonebook's contact leads, the number as the user's country writes it under it, and
// the line's own name only where it says something else; an unnamed caller gets the place.
TEST(CallNoticeText, AContactLeadsAndAnUnknownCallerSaysWhereFrom)
{
    const struct
    {
        const char *what;
        Call call;
        CallerShown shown;
        const char *summary;
        const char *body;
    } cases[] = {
        {"contact", call("02079460958", ""), {u"Mum"_qs, u"020 7946 0958"_qs, {}}, "Mum",
         "020 7946 0958\n%1"},
        {"contact and another line name", call("02079460958", "J SMITH"),
         {u"Mum"_qs, u"020 7946 0958"_qs, {}}, "Mum", "020 7946 0958\nJ SMITH\n%1"},
        {"the line says the contact's name", call("02079460958", "MUM"),
         {u"Mum"_qs, u"020 7946 0958"_qs, {}}, "Mum", "020 7946 0958\n%1"},
        {"contact for a withheld number", call("P", ""), {u"Range"_qs, u"P"_qs, {}}, "Range",
         "Private number\n%1"},
        {"unknown, with the place", call("02079460958", ""), {{}, u"020 7946 0958"_qs, u"London"_qs},
         "020 7946 0958", "London\n%1"},
        {"unknown with a line name: no place", call("02079460958", "ACME"),
         {{}, u"020 7946 0958"_qs, u"London"_qs}, "020 7946 0958", "ACME\n%1"},
        // A call hung up on says so, and why, before anything else.
        {"hung up on", hungUp(call("08005550000", "")),
         {{}, u"0800 555 0000"_qs, u"United Kingdom"_qs, u"on the block list (0800*)"_qs, true},
         "Blocked: 0800 555 0000", "On the block list (0800*)\n%1"},
        {"hung up on, withheld", hungUp(call("P", "")),
         {{}, u"P"_qs, {}, u"the number is withheld"_qs, true}, "Blocked: Private number",
         "The number is withheld\n%1"},
        {"hung up on, a blocked contact", hungUp(call("01614960000", "SALES")),
         {u"Spammer"_qs, u"0161 496 0000"_qs, {}, u"on the block list (0161*)"_qs, true},
         "Blocked: 0161 496 0000", "Spammer\nOn the block list (0161*)\nSALES\n%1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const CallNoticeText text = callNoticeText(c.call, 1, c.shown);
        EXPECT_EQ(text.summary, QString::fromUtf8(c.summary));
        EXPECT_EQ(text.body, QString::fromUtf8(c.body).replace(QStringLiteral("%1"),
                                                               QStringLiteral("10/13/2002 14:25")));
    }
}

TEST(CallNoticeText, WritesTheMomentTheUsersWay)
{
    // The user's own short date, with a four-digit year.
    LocaleScope scope("de_DE.UTF-8");
    EXPECT_EQ(callNoticeText(call("1", "")).body, QStringLiteral("13.10.2002 14:25"));
}

namespace {

// One step of a pacing scenario: a call arriving, or the held calls released, at a time.
struct Event
{
    enum Kind { Arrive, Release } kind;
    qint64 atMs;
    NoticePacer::Step expected;
};

struct PaceCase
{
    const char *what;
    std::vector<Event> events;
};

constexpr NoticePacer::Step held{};
constexpr NoticePacer::Step fresh{true, false, 1};
constexpr NoticePacer::Step replacing(qint64 calls)
{
    return {true, true, calls};
}

} // namespace

TEST(NoticePacer, ShowsAtMostOneNoticePerGapAndCountsTheFlood)
{
    const PaceCase cases[] = {
        {"calls far apart stay apart",
         {{Event::Arrive, 0, fresh}, {Event::Arrive, 5000, fresh}, {Event::Arrive, 9000, fresh}}},
        {"a gap of exactly 250 ms is no flood",
         {{Event::Arrive, 1000, fresh}, {Event::Arrive, 1250, fresh}}},
        {"a burst: the first at once, the rest as one replacing notice",
         {{Event::Arrive, 0, fresh},
          {Event::Arrive, 1, held},
          {Event::Arrive, 2, held},
          {Event::Arrive, 3, held},
          {Event::Release, 250, replacing(4)}}},
        {"a steady flood keeps replacing and counting",
         {{Event::Arrive, 0, fresh},
          {Event::Arrive, 200, held},
          {Event::Release, 250, replacing(2)},
          {Event::Arrive, 400, held},
          {Event::Release, 500, replacing(3)},
          {Event::Arrive, 600, held},
          {Event::Arrive, 700, held},
          {Event::Release, 750, replacing(5)}}},
        {"after a quiet gap the next call stands alone again",
         {{Event::Arrive, 0, fresh},
          {Event::Arrive, 10, held},
          {Event::Release, 250, replacing(2)},
          {Event::Arrive, 600, fresh},
          {Event::Arrive, 700, held},
          {Event::Release, 850, replacing(2)}}},
        {"a release late on the clock still counts every held call",
         {{Event::Arrive, 0, fresh},
          {Event::Arrive, 100, held},
          {Event::Arrive, 900, held},
          {Event::Release, 1000, replacing(3)}}},
        {"nothing held, nothing released", {{Event::Release, 100, held}}},
    };
    for (const PaceCase &c : cases) {
        SCOPED_TRACE(c.what);
        NoticePacer pacer;
        for (const Event &e : c.events) {
            SCOPED_TRACE(e.atMs);
            const NoticePacer::Step step =
                e.kind == Event::Arrive ? pacer.arrive(e.atMs) : pacer.release(e.atMs);
            EXPECT_EQ(step, e.expected);
            if (!step.showNow && e.kind == Event::Arrive) {
                EXPECT_TRUE(pacer.holding());
                EXPECT_LE(pacer.dueAt(), e.atMs + NoticePacer::kGapMs);
            }
        }
    }
}

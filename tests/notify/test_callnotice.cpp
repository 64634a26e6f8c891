#include "CallNotice.h"
#include "DateServices.h"
#include "LocaleScope.h"
#include "NoticePacer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const QDateTime kOct13 = dates::makeDateTime(QDate(2002, 10, 13), QTime(14, 25));

Call call(const char *number, const char *name, QDateTime when = kOct13)
{
    return {when, QString::fromUtf8(number), QString::fromUtf8(name)};
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
    const TextCase cases[] = {
        {"number and name", call("5551234", "JOHN SMITH"), 1, "5551234",
         "JOHN SMITH\n10/13/2002 14:25"},
        {"number alone", call("5551234", ""), 1, "5551234", "10/13/2002 14:25"},
        {"P", call("P", ""), 1, "Private number", "10/13/2002 14:25"},
        {"PRIVATE", call("PRIVATE", ""), 1, "Private number", "10/13/2002 14:25"},
        {"O", call("O", ""), 1, "Number unavailable", "10/13/2002 14:25"},
        {"OUT-OF-AREA", call("OUT-OF-AREA", ""), 1, "Number unavailable", "10/13/2002 14:25"},
        {"UNAVAILABLE", call("UNAVAILABLE", ""), 1, "Number unavailable", "10/13/2002 14:25"},
        {"marker with blanks, any case", call(" private ", ""), 1, "Private number",
         "10/13/2002 14:25"},
        {"marker number and marker name", call("P", "P"), 1, "Private number", "10/13/2002 14:25"},
        {"name P without a number", call("", "P"), 1, "Private number", "10/13/2002 14:25"},
        {"name O without a number", call("", "O"), 1, "Number unavailable", "10/13/2002 14:25"},
        {"name marker beside a real number", call("5551234", "O"), 1, "5551234",
         "10/13/2002 14:25"},
        {"nothing at all", call("", ""), 1, "Number unavailable", "10/13/2002 14:25"},
        {"a longer name is a name", call("5551234", "PRIVATE"), 1, "5551234",
         "PRIVATE\n10/13/2002 14:25"},
        {"fields that only begin like a marker", call("P5551234", "OP"), 1, "P5551234",
         "OP\n10/13/2002 14:25"},
        {"line breaks in the name", call("5551234", "A\r\nB\tC\x01"), 1, "5551234",
         "A  B C\n10/13/2002 14:25"},
        {"markup is text", call("<b>1</b>", "<b>x</b> &amp;"), 1, "<b>1</b>",
         "<b>x</b> &amp;\n10/13/2002 14:25"},
        {"a flood", call("5551234", "JOHN SMITH"), 10, "5551234",
         "JOHN SMITH\n10/13/2002 14:25\nLatest of 10 calls"},
        {"no moment", call("5551234", "JOHN", QDateTime()), 1, "5551234", "JOHN"},
    };
    for (const TextCase &c : cases) {
        SCOPED_TRACE(c.what);
        const CallNoticeText text = callNoticeText(c.call, c.calls);
        EXPECT_EQ(text.summary, QString::fromUtf8(c.summary));
        EXPECT_EQ(text.body, QString::fromUtf8(c.body));
    }
}

TEST(CallNoticeText, WritesTheMomentTheUsersWay)
{
    const struct
    {
        const char *locale;
        const char *body;
    } cases[] = {
        {"en_US.UTF-8", "10/13/2002 14:25"},
        {"en_GB.UTF-8", "13/10/2002 14:25"},
        {"de_DE.UTF-8", "13.10.2002 14:25"},
        {"zh_CN.UTF-8", "2002/10/13 14:25"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.locale);
        LocaleScope scope(c.locale);
        EXPECT_EQ(callNoticeText(call("1", "")).body, QString::fromUtf8(c.body));
    }
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

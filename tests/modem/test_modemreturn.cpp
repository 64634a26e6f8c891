#include "modem/ModemReturnWatch.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using modem::ModemReturnWatch;

namespace {

// The device, the port and the clock as the test plays them, with what the watch did.
struct Line
{
    bool there = false;
    bool opens = false;
    qint64 nowMs = 0;
    int tries = 0;
    int backs = 0;
    int gaveUps = 0;

    std::unique_ptr<ModemReturnWatch> watch()
    {
        auto w =
            std::make_unique<ModemReturnWatch>(ModemReturnWatch::Probe{[this] { return there; },
                                                                       [this] {
                                                                           ++tries;
                                                                           return opens;
                                                                       }},
                                               [this] { return nowMs; });
        QObject::connect(w.get(), &ModemReturnWatch::back, [this] { ++backs; });
        QObject::connect(w.get(), &ModemReturnWatch::gaveUp, [this] { ++gaveUps; });
        return w;
    }
};

constexpr qint64 kLook = ModemReturnWatch::LookInterval.count();
constexpr qint64 kLimit = ModemReturnWatch::OpenLimit.count();

} // namespace

// Each step: the device and the port as they are at one look, then what the watch has
// done so far.
TEST(ModemReturnWatch, LooksUntilTheDeviceIsBackAndOpensItQuietly)
{
    struct Step
    {
        bool there;
        bool opens;
        int tries;
        int backs;
        int gaveUps;
    };
    struct Case
    {
        const char *name;
        std::vector<Step> steps;
    };
    const int busyLooks = int(kLimit / kLook); // looks that fit in the time to open
    std::vector<Step> neverOpens;
    for (int i = 1; i <= busyLooks; ++i)
        neverOpens.push_back({true, false, i, 0, 0});
    neverOpens.push_back({true, false, busyLooks + 1, 0, 1});
    neverOpens.push_back({true, true, busyLooks + 1, 0, 1}); // watching has ended

    std::vector<Step> goneWhileBusy;
    for (int i = 1; i < busyLooks; ++i)
        goneWhileBusy.push_back({true, false, i, 0, 0});
    goneWhileBusy.push_back({false, false, busyLooks - 1, 0, 0});
    for (int i = 0; i < busyLooks; ++i) // its time to open starts again
        goneWhileBusy.push_back({true, false, busyLooks + i, 0, 0});
    goneWhileBusy.push_back({true, true, 2 * busyLooks, 1, 0});

    // clang-format off
    const Case cases[] = {
        {"absent, then back", {{false, false, 0, 0, 0}, {false, true, 0, 0, 0}, {true, true, 1, 1, 0},
                               {true, true, 1, 1, 0}}},
        {"back but held a moment", {{true, false, 1, 0, 0}, {true, false, 2, 0, 0}, {true, true, 3, 1, 0}}},
        {"back but never opens", neverOpens},
        {"gone again while held", goneWhileBusy},
    };
    // clang-format on
    for (const Case &c : cases) {
        Line line;
        auto watch = line.watch();
        watch->start();
        int at = 0;
        for (const Step &step : c.steps) {
            line.there = step.there;
            line.opens = step.opens;
            line.nowMs += kLook;
            watch->look();
            ++at;
            ASSERT_EQ(line.tries, step.tries) << c.name << ", look " << at;
            ASSERT_EQ(line.backs, step.backs) << c.name << ", look " << at;
            ASSERT_EQ(line.gaveUps, step.gaveUps) << c.name << ", look " << at;
        }
        EXPECT_EQ(watch->watching(), line.backs + line.gaveUps == 0) << c.name;
    }
}

TEST(ModemReturnWatch, StoppedOrNeverStartedItDoesNothing)
{
    Line line;
    line.there = line.opens = true;
    auto watch = line.watch();
    watch->look();
    watch->start();
    watch->stop();
    watch->look();
    EXPECT_FALSE(watch->watching());
    EXPECT_EQ(line.tries, 0);
    EXPECT_EQ(line.backs, 0);
}

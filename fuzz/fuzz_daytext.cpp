// The day-text parser on arbitrary text under a few locales. Input: one byte choosing the
// locale, then the text in UTF-8. Whatever it accepts must be a real day it can show.
#include "locale/DateServices.h"
#include "fuzz/FuzzCheck.h"
#include "locale/LocaleDates.h"
#include "locale/LocaleSupport.h"

#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

// Day-first, month-first, year-first, with literal letters, with AM/PM markers.
const char *const kLocales[] = {"en_US.UTF-8", "en_GB.UTF-8", "de_DE.UTF-8", "zh_CN.UTF-8",
                                "C.UTF-8",     "ja_JP.UTF-8", "ru_RU.UTF-8", "ko_KR.UTF-8"};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qunsetenv("LANG");
    qunsetenv("LC_TIME");
    qunsetenv("LC_NUMERIC");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    qputenv("LC_ALL", kLocales[data[0] % std::size(kLocales)]);
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    const std::optional<QDate> day = dates::parseDayText(text);
    if (day) {
        FUZZ_CHECK(day->isValid());
        FUZZ_CHECK(day->year() >= 100 && day->year() <= 9999);
        // Paging writes the day back in the short pattern; that text must read as the day.
        const QString shown = FormatLocalDate(dates::makeDateTime(*day), true);
        FUZZ_CHECK(dates::parseDayText(shown) == day);
    }
    return 0;
}

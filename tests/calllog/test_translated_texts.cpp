// The call log's, the notices' and the screening's texts in German and Chinese, from the
// translations built into the program.

#include "callers/CallScreen.h"
#include "calllog/CallLog.h"
#include "calllog/CallNotice.h"
#include "calllog/CallSpool.h"
#include "calllog/SpoolRecord.h"
#include "tests/support/LanguageScope.h"
#include "tests/support/LocaleScope.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The last note on a spool file of ten damaged bytes, each told, and `more` counted.
QString damageNote(int more)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(u"CallerID-0123abcd.spool"_qs));
    const Call call{QDateTime(QDate(2026, 12, 9), QTime(10, 15)), {}, {}};
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(("x" + spoolrecord::encodeCall({1, call})).repeated(10 + more));
    file.close();
    return CallSpool::open(dir.path(), u"CallerID-0123abcd"_qs).value()->notes().value(10);
}

} // namespace

TEST(TranslatedTexts, FailuresNoticesAndCountsSpeakTheLanguage)
{
    LocaleScope locale("C.UTF-8");
    const struct
    {
        const char *language, *markFailure, *blockedNotice, *moreDamage[3]; // 1, 2, 5 more
    } cases[] = {
        {"de",
         "Ein Eintrag, der markiert werden soll, braucht eine Rufnummer.",
         "Gesperrt: Rufnummer unterdrückt\nDie Rufnummer ist unterdrückt\nNeuester von 5 Anrufen",
         {"1 weiteren beschädigten Eintrag (1 Byte)", "2 weitere beschädigte Einträge (2 Byte)",
          "5 weitere beschädigte Einträge (5 Byte)"}},
        {"zh_CN",
         "要标记的条目需要一个号码。",
         "已拦截：隐藏号码\n号码已隐藏\n5 个来电中的最新一个",
         {"另外 1 个损坏条目（1 字节）", "另外 2 个损坏条目（2 字节）",
          "另外 5 个损坏条目（5 字节）"}},
    };
    ScreenRules rules;
    rules.blockWithheld = true;
    ScreenFacts withheld;
    withheld.withheld = true;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.language);
        const LanguageScope language(QString::fromLatin1(c.language));
        ASSERT_TRUE(language.loaded());

        db::Connection connection;
        EXPECT_EQ(CallLog(connection).markNumber({}, u"allow"_qs).errorString(),
                  QString::fromUtf8(c.markFailure));
        CallerShown shown;
        shown.unwanted = screenCall(rules, withheld).reason;
        const CallNoticeText notice = callNoticeText({QDateTime(), u"P"_qs, {}, true}, 5, shown);
        EXPECT_EQ(notice.summary + u'\n' + notice.body, QString::fromUtf8(c.blockedNotice));
        const int more[] = {1, 2, 5};
        for (int i = 0; i < 3; ++i) {
            const QString note = damageNote(more[i]);
            EXPECT_TRUE(note.contains(QString::fromUtf8(c.moreDamage[i]))) << note.toStdString();
        }
    }
}

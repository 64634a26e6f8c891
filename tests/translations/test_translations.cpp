#include "translations/Translations.h"
#include "tests/support/LanguageScope.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct CommandCase
{
    const char *locale;
    const char *setting; // [interface] language=, nullptr: no settings file
    const char *said;    // the start of the error
};

// A day the command cannot read: the error comes before any data source is opened.
QString callsErrorUnder(const CommandCase &c)
{
    QTemporaryDir config;
    if (c.setting) {
        QDir().mkpath(config.path() + u"/ringvane"_qs);
        QFile file(config.path() + u"/ringvane/ringvane.conf"_qs);
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray("[interface]\nlanguage=") + c.setting + '\n');
    }
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(u"LANGUAGE"_qs);
    env.insert(u"LC_ALL"_qs, QString::fromLatin1(c.locale));
    env.insert(u"XDG_CONFIG_HOME"_qs, config.path());
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(RINGVANE_CALLS_COMMAND), {u"--day"_qs, u"x"_qs});
    process.waitForFinished(30000);
    EXPECT_EQ(process.exitCode(), 1);
    return QString::fromUtf8(process.readAllStandardError());
}

TEST(Translations, CommandErrorsFollowTheLanguage)
{
    const CommandCase cases[] = {
        {"C.UTF-8", nullptr, "ringvane-calls: 'x' is not a day: give it as 2026-12-09"},
        {"de_DE.UTF-8", nullptr, "ringvane-calls: 'x' ist kein Tag:"},
        {"zh_CN.UTF-8", nullptr, "ringvane-calls: 'x' 不是日期"},
        {"zh_CN.UTF-8", "de", "ringvane-calls: 'x' ist kein Tag:"},
        {"de_DE.UTF-8", "C", "ringvane-calls: 'x' is not a day:"},
        {"de_DE.UTF-8", "en", "ringvane-calls: 'x' is not a day:"},
    };
    for (const CommandCase &c : cases) {
        const QString said = callsErrorUnder(c);
        EXPECT_TRUE(said.startsWith(QString::fromUtf8(c.said)))
            << c.locale << " " << (c.setting ? c.setting : "-") << ": " << said.toStdString();
    }
}

struct SetupCase
{
    const char *command;
    const char *argument;
    const char *locale;
    int exitCode;
    bool onStandardError;
    const char *said; // part of what the command prints
};

TEST(Translations, SetupCommandsSpeakTheLanguage)
{
    const SetupCase cases[] = {
        {RINGVANE_SETUP_CALLLOG_COMMAND, "--bogus", "C.UTF-8", 1, true, "Unknown argument: --bogus\n"},
        {RINGVANE_SETUP_CALLLOG_COMMAND, "--bogus", "de_DE.UTF-8", 1, true, "Unbekanntes Argument: --bogus\n"},
        {RINGVANE_SETUP_CALLLOG_COMMAND, "--bogus", "zh_CN.UTF-8", 1, true, "未知参数：--bogus\n"},
        {RINGVANE_SETUP_CALLLOG_COMMAND, "--help", "C.UTF-8", 0, false, "Prepares Ringvane's call log:"},
        {RINGVANE_SETUP_CALLLOG_COMMAND, "--help", "de_DE.UTF-8", 0, false, "Richtet die Anrufliste von Ringvane ein:"},
        {RINGVANE_SETUP_CALLLOG_COMMAND, "--help", "zh_CN.UTF-8", 0, false, "准备 Ringvane 的通话记录："},
        {RINGVANE_FIND_MODEMS_COMMAND, "x", "C.UTF-8", 2, true, "ringvane-find-modems: unexpected argument x\n"},
        {RINGVANE_FIND_MODEMS_COMMAND, "x", "de_DE.UTF-8", 2, true, "ringvane-find-modems: unerwartetes Argument x\n"},
        {RINGVANE_FIND_MODEMS_COMMAND, "x", "zh_CN.UTF-8", 2, true, "ringvane-find-modems: 多余的参数 x\n"},
        {RINGVANE_FIND_MODEMS_COMMAND, "--help", "C.UTF-8", 0, false, "Probe only this device (repeatable)."},
        {RINGVANE_FIND_MODEMS_COMMAND, "--help", "de_DE.UTF-8", 0, false, "Nur dieses Gerät prüfen (mehrfach möglich)."},
        {RINGVANE_FIND_MODEMS_COMMAND, "--help", "zh_CN.UTF-8", 0, false, "只探测此设备（可多次指定）。"},
    };
    for (const SetupCase &c : cases) {
        QTemporaryDir config;
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(u"LANGUAGE"_qs);
        env.insert(u"LC_ALL"_qs, QString::fromLatin1(c.locale));
        env.insert(u"XDG_CONFIG_HOME"_qs, config.path());
        process.setProcessEnvironment(env);
        process.start(QString::fromLatin1(c.command), {QString::fromLatin1(c.argument)});
        process.waitForFinished(30000);
        const QString said = QString::fromUtf8(c.onStandardError ? process.readAllStandardError()
                                                                 : process.readAllStandardOutput());
        EXPECT_EQ(process.exitCode(), c.exitCode) << c.command << " " << c.argument;
        EXPECT_TRUE(said.contains(QString::fromUtf8(c.said)))
            << c.locale << " " << c.argument << ": " << said.toStdString();
    }
}

TEST(Translations, ChoosesTheFirstLanguageTheUserReads)
{
    const QStringList have{u"de"_qs, u"zh_CN"_qs};
    const struct
    {
        QString setting;
        QStringList desktop;
        QString messages;
        QString chosen;
    } cases[] = {
        {{}, {u"de-DE"_qs}, u"de_DE.UTF-8"_qs, u"de"_qs},
        {{}, {u"zh-CN"_qs}, u"zh_CN.UTF-8"_qs, u"zh_CN"_qs},
        {{}, {u"zh-Hans-CN"_qs}, u"zh_CN.UTF-8"_qs, u"zh_CN"_qs},
        {{}, {u"zh-TW"_qs}, u"zh_TW.UTF-8"_qs, {}}, // not the Simplified script
        {{}, {u"en-GB"_qs, u"de"_qs}, u"de_DE.UTF-8"_qs, {}},
        {{}, {u"fr-FR"_qs, u"de"_qs}, u"fr_FR.UTF-8"_qs, u"de"_qs},
        {{}, {u"de"_qs}, u"C.UTF-8"_qs, {}}, // LANGUAGE does not count under C
        {u"de"_qs, {u"zh-CN"_qs}, u"C.UTF-8"_qs, u"de"_qs},
        {u"C"_qs, {u"de-DE"_qs}, u"de_DE.UTF-8"_qs, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(translations::chooseLanguage(c.setting, c.desktop, c.messages, have), c.chosen)
            << c.desktop.join(u',').toStdString() << " " << c.setting.toStdString();
}

TEST(Translations, PluralsInEachLanguage)
{
    const struct
    {
        const char *language;
        int count;
        const char *said;
    } cases[] = {
        {"de", 1, "1 Eintrag hinzugefügt, 0 geändert"},
        {"de", 2, "2 Einträge hinzugefügt, 0 geändert"},
        {"de", 5, "5 Einträge hinzugefügt, 0 geändert"},
        {"zh_CN", 1, "已添加 1 个，"},
        {"zh_CN", 2, "已添加 2 个，"},
        {"zh_CN", 5, "已添加 5 个，"},
    };
    for (const auto &c : cases) {
        QTemporaryDir config;
        const QString path = config.path() + u"/ringvane.conf"_qs;
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray("[interface]\nlanguage=") + c.language + '\n');
        file.close();
        ASSERT_EQ(translations::installTranslations(path), QString::fromLatin1(c.language));
        const QString said =
            QCoreApplication::translate("ringvane-contacts",
                                        "Added %n, changed %1, already there %2, skipped %3.",
                                        nullptr, c.count)
                .arg(0)
                .arg(0)
                .arg(0);
        EXPECT_TRUE(said.startsWith(QString::fromUtf8(c.said))) << said.toStdString();
    }
}

TEST(Translations, NotificationTimeLimitInEachLanguage)
{
    const struct
    {
        const char *language;
        int seconds;
        const char *said;
    } cases[] = {
        {"de", 1, "innerhalb von 1 Sekunde nicht"},   {"de", 2, "innerhalb von 2 Sekunden nicht"},
        {"de", 5, "innerhalb von 5 Sekunden nicht"},  {"zh_CN", 1, "在 1 秒内没有应答"},
        {"zh_CN", 2, "在 2 秒内没有应答"},           {"zh_CN", 5, "在 5 秒内没有应答"},
    };
    for (const auto &c : cases) {
        const LanguageScope language(QString::fromLatin1(c.language));
        ASSERT_TRUE(language.loaded());
        const QString said = QCoreApplication::translate(
            "FreedesktopNotifications", "the notification service did not answer within %n seconds",
            nullptr, c.seconds);
        EXPECT_TRUE(said.contains(QString::fromUtf8(c.said))) << said.toStdString();
    }
}

} // namespace

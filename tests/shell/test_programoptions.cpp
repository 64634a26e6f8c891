#include "shell/ProgramOptions.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

using Outcome = ParsedProgramOptions::Outcome;

struct OptionCase
{
    QStringList arguments;
    std::optional<QByteArray> settings; // the file's text; no file at all when nullopt
    Outcome outcome;
    bool notifications;
    const char *feed;
    qsizetype warnings;
};

} // namespace

TEST(ProgramOptions, CommandLineOverSettingsFileOverDefaults)
{
    const QString no = QStringLiteral("--no-notifications");
    const OptionCase cases[] = {
        {{}, std::nullopt, Outcome::Run, true, "", 0},
        {{}, QByteArray(), Outcome::Run, true, "", 0},
        {{no}, std::nullopt, Outcome::Run, false, "", 0},
        {{}, "[notifications]\nenabled=false\n", Outcome::Run, false, "", 0},
        {{}, "[notifications]\nenabled = No\n", Outcome::Run, false, "", 0},
        {{}, "[notifications]\nenabled=0\n", Outcome::Run, false, "", 0},
        {{}, "[notifications]\nenabled=true\n", Outcome::Run, true, "", 0},
        {{no}, "[notifications]\nenabled=true\n", Outcome::Run, false, "", 0},
        {{}, "[other]\nenabled=false\n", Outcome::Run, true, "", 0},
        {{}, "[notifications]\nenabled=maybe\n", Outcome::Run, true, "", 1},
        {{}, "[feed]\nlisten=3333\n", Outcome::Run, true, "3333", 0},
        {{"--feed", "[::1]:3333"},
         "[feed]\nlisten=0.0.0.0:3333\n",
         Outcome::Run,
         true,
         "[::1]:3333",
         0},
        {{"--help"}, std::nullopt, Outcome::Help, true, "", 0},
        {{"-h"}, std::nullopt, Outcome::Help, true, "", 0},
        {{"--version"}, std::nullopt, Outcome::Version, true, "", 0},
        {{"--bogus"}, std::nullopt, Outcome::Error, true, "", 0},
        {{"extra"}, std::nullopt, Outcome::Error, true, "", 0},
    };
    for (const OptionCase &c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString() + " | " +
                     c.settings.value_or("-").toStdString());
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ringvane.conf"));
        if (c.settings) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(*c.settings);
        }
        const ParsedProgramOptions parsed =
            parseProgramOptions(QStringList{QStringLiteral("ringvane")} + c.arguments, path);
        EXPECT_EQ(parsed.outcome, c.outcome);
        EXPECT_EQ(parsed.options.notifications, c.notifications);
        EXPECT_EQ(parsed.options.feed, QLatin1String(c.feed));
        EXPECT_EQ(parsed.warnings.size(), c.warnings) << qPrintable(parsed.warnings.join(u'\n'));
        if (c.outcome == Outcome::Error) {
            EXPECT_FALSE(parsed.message.isEmpty());
        }
    }
}

// [blocking] from the file, the command line for one run; what is not understood is an
// error on the command line and a warning in the file, and leaves nothing hung up.
TEST(ProgramOptions, BlockingSettings)
{
    using Mode = ScreenRules::Mode;
    const struct
    {
        QStringList arguments;
        const char *settings;
        Outcome outcome;
        Mode mode;
        bool withheld;
        int holdMs;
        qsizetype warnings;
    } cases[] = {
        {{}, "", Outcome::Run, Mode::Off, false, 1500, 0},
        {{}, "[blocking]\nmode=list\nwithheld=block\nhold=2\n", Outcome::Run, Mode::List, true,
         2000, 0},
        {{"--blocking-mode", "known-only"}, "[blocking]\nmode=list\n", Outcome::Run,
         Mode::KnownOnly, false, 1500, 0},
        {{}, "[blocking]\nmode=everything\nwithheld=maybe\nhold=-1\n", Outcome::Run, Mode::Off,
         false, 1500, 3},
        {{"--blocking-mode", "all"}, "", Outcome::Error, Mode::Off, false, 1500, 0},
        {{"--blocking-hold", "0.5"}, "", Outcome::Run, Mode::Off, false, 500, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString() + " | " + c.settings);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ringvane.conf"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.settings);
        file.close();
        const ParsedProgramOptions parsed =
            parseProgramOptions(QStringList{QStringLiteral("ringvane")} + c.arguments, path);
        EXPECT_EQ(parsed.outcome, c.outcome);
        EXPECT_EQ(parsed.options.blocking.mode, c.mode);
        EXPECT_EQ(parsed.options.blocking.blockWithheld, c.withheld);
        EXPECT_EQ(parsed.options.blocking.holdMs, c.holdMs);
        EXPECT_EQ(parsed.warnings.size(), c.warnings) << qPrintable(parsed.warnings.join(u'\n'));
    }
}

TEST(ProgramOptions, HelpAndVersionSayWhatTheyShould)
{
    const QString help = parseProgramOptions({QStringLiteral("ringvane"), QStringLiteral("--help")},
                                             QStringLiteral("/nowhere/ringvane.conf"))
                             .message;
    for (const char *part :
         {"--no-notifications", "--feed <ADDRESS:PORT>", "/nowhere/ringvane.conf"})
        EXPECT_TRUE(help.contains(QLatin1String(part))) << part;

    const ParsedProgramOptions version =
        parseProgramOptions({QStringLiteral("ringvane"), QStringLiteral("--version")});
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Ringvane \\d+\\.\\d+\\.\\d+\n$"))
                    .match(version.message)
                    .hasMatch())
        << qPrintable(version.message);
}

TEST(ProgramOptions, SettingsLiveInTheUsersConfigFolder)
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/tmp/ringvane-config-test");
    EXPECT_EQ(settingsFilePath(),
              QStringLiteral("/tmp/ringvane-config-test/ringvane/ringvane.conf"));
    qputenv("XDG_CONFIG_HOME", saved);
}

TEST(ProgramOptions, MainGetsTheOptionsOrTheProcessEndsWithTheRightStatus)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const QString ringvane = QStringLiteral("ringvane");
    EXPECT_EXIT(programOptionsOrExit({ringvane, QStringLiteral("--version")}),
                testing::ExitedWithCode(0), "");
    EXPECT_EXIT(programOptionsOrExit({ringvane, QStringLiteral("--help")}),
                testing::ExitedWithCode(0), "");
    EXPECT_EXIT(programOptionsOrExit({ringvane, QStringLiteral("--bogus")}),
                testing::ExitedWithCode(2), "ringvane: Unknown option 'bogus'");
    EXPECT_FALSE(
        programOptionsOrExit({ringvane, QStringLiteral("--no-notifications")}).notifications);
}

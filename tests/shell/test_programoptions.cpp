#include "ProgramOptions.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

using Outcome = ParsedProgramOptions::Outcome;

struct OptionCase
{
    const char *what;
    QStringList arguments;
    std::optional<QByteArray> settings; // the file's text; no file when empty
    Outcome outcome;
    bool notifications;
    qsizetype warnings;
};

} // namespace

TEST(ProgramOptions, CommandLineOverSettingsFileOverDefaults)
{
    const QString no = QStringLiteral("--no-notifications");
    const OptionCase cases[] = {
        {"no file, no option", {}, std::nullopt, Outcome::Run, true, 0},
        {"an empty file", {}, QByteArray(), Outcome::Run, true, 0},
        {"the option", {no}, std::nullopt, Outcome::Run, false, 0},
        {"the file says false", {}, "[notifications]\nenabled=false\n", Outcome::Run, false, 0},
        {"the file says no", {}, "[notifications]\nenabled = No\n", Outcome::Run, false, 0},
        {"the file says 0", {}, "[notifications]\nenabled=0\n", Outcome::Run, false, 0},
        {"the file says true", {}, "[notifications]\nenabled=true\n", Outcome::Run, true, 0},
        {"the option beats the file",
         {no},
         "[notifications]\nenabled=true\n",
         Outcome::Run,
         false,
         0},
        {"the key elsewhere is not read", {}, "[other]\nenabled=false\n", Outcome::Run, true, 0},
        {"nonsense is ignored aloud",
         {},
         "[notifications]\nenabled=maybe\n",
         Outcome::Run,
         true,
         1},
        {"help", {QStringLiteral("--help")}, std::nullopt, Outcome::Help, true, 0},
        {"help, short", {QStringLiteral("-h")}, std::nullopt, Outcome::Help, true, 0},
        {"version", {QStringLiteral("--version")}, std::nullopt, Outcome::Version, true, 0},
        {"an unknown option", {QStringLiteral("--bogus")}, std::nullopt, Outcome::Error, true, 0},
        {"an argument", {QStringLiteral("extra")}, std::nullopt, Outcome::Error, true, 0},
    };
    for (const OptionCase &c : cases) {
        SCOPED_TRACE(c.what);
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
        EXPECT_EQ(parsed.warnings.size(), c.warnings) << qPrintable(parsed.warnings.join(u'\n'));
        if (c.outcome == Outcome::Error) {
            EXPECT_FALSE(parsed.message.isEmpty());
        }
    }
}

TEST(ProgramOptions, TheFeedListensWhereTheLineOrTheFileSays)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ringvane.conf"));
    auto feed = [&](const QStringList &arguments, const QByteArray &settings) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(settings);
        file.close();
        return parseProgramOptions(QStringList{QStringLiteral("ringvane")} + arguments, path)
            .options.feed;
    };
    EXPECT_EQ(feed({}, ""), QString()) << "off by default";
    EXPECT_EQ(feed({}, "[feed]\nlisten=3333\n"), QStringLiteral("3333"));
    EXPECT_EQ(feed({QStringLiteral("--feed"), QStringLiteral("[::1]:3333")},
                   "[feed]\nlisten=0.0.0.0:3333\n"),
              QStringLiteral("[::1]:3333"));
}

TEST(ProgramOptions, HelpAndVersionSayWhatTheyShould)
{
    const ParsedProgramOptions help =
        parseProgramOptions({QStringLiteral("ringvane"), QStringLiteral("--help")},
                            QStringLiteral("/nowhere/ringvane.conf"));
    EXPECT_TRUE(help.message.contains(QStringLiteral("--no-notifications")));
    EXPECT_TRUE(help.message.contains(QStringLiteral("--feed <ADDRESS:PORT>")));
    EXPECT_TRUE(help.message.contains(QStringLiteral("/nowhere/ringvane.conf")));

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
    EXPECT_EQ(programSettingsPath(),
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

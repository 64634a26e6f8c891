#include "shell/ProgramOptions.h"

#include <QCommandLineParser>
#include <QSettings>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <variant>

namespace {

using Member = std::variant<bool ProgramOptions::*, QString ProgramOptions::*>;

// A bool option is on by default: its command-line switch turns it off, its settings key
// holds true or false. Any other option takes a value in both places.
struct OptionEntry
{
    const char *name;      // --name on the command line
    const char *valueName; // shown in the help of an option with a value; null for a switch
    const char *description;
    const char *settingsKey; // "group/key" in the settings file
    Member member;
};

const OptionEntry kOptions[] = {
    {"no-notifications", nullptr, "Raise no desktop notifications for calls.",
     "notifications/enabled", &ProgramOptions::notifications},
    {"feed", "ADDRESS:PORT",
     "Send calls to caller-ID clients (NCID) listening here; a port alone means this computer "
     "only.",
     "feed/listen", &ProgramOptions::feed},
    {"region", "CC",
     "Read telephone numbers as the country with this two-letter code writes them (GB, US, "
     "DE...); by default the country of your regional format.",
     "numbers/region", &ProgramOptions::region},
};

std::optional<bool> settingsBool(const QVariant &value)
{
    const QString text = value.toString().trimmed().toLower();
    if (text == u"true" || text == u"yes" || text == u"on" || text == u"1")
        return true;
    if (text == u"false" || text == u"no" || text == u"off" || text == u"0")
        return false;
    return std::nullopt;
}

QString ignoredSetting(const QString &path, const QString &key, const QVariant &value,
                       const char *why)
{
    const QString group = key.section(u'/', 0, 0);
    const QString name = key.section(u'/', 1);
    return QStringLiteral("%1: %2 in [%3] is \"%4\", %5; ignored")
        .arg(path, name, group, value.toStringList().join(QStringLiteral(", ")),
             QString::fromLatin1(why));
}

} // namespace

QString programSettingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/ringvane/ringvane.conf");
}

namespace {

// The parser with the help, the version and every option of the table, in table order.
QList<QCommandLineOption> setUpParser(QCommandLineParser &parser, const QString &settingsPath)
{
    parser.setApplicationDescription(
        QStringLiteral("Shows who is calling on your telephone line and keeps a log of the calls.\n"
                       "Settings: %1")
            .arg(settingsPath));
    parser.addHelpOption();
    parser.addVersionOption();
    QList<QCommandLineOption> lineOptions;
    for (const OptionEntry &entry : kOptions) {
        QCommandLineOption option(QString::fromLatin1(entry.name),
                                  QString::fromUtf8(entry.description));
        if (entry.valueName)
            option.setValueName(QString::fromLatin1(entry.valueName));
        parser.addOption(option);
        lineOptions << option;
    }
    return lineOptions;
}

bool asksForHelp(const QCommandLineParser &parser)
{
    return parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"));
}

} // namespace

bool asksOnlyToPrint(const QStringList &arguments)
{
    QCommandLineParser parser;
    setUpParser(parser, QString());
    return parser.parse(arguments) &&
           (asksForHelp(parser) || parser.isSet(QStringLiteral("version")));
}

ParsedProgramOptions parseProgramOptions(const QStringList &arguments, const QString &settingsPath)
{
    using Outcome = ParsedProgramOptions::Outcome;
    ParsedProgramOptions result;

    QCommandLineParser parser;
    const QList<QCommandLineOption> lineOptions = setUpParser(parser, settingsPath);

    if (!parser.parse(arguments)) {
        result.outcome = Outcome::Error;
        result.message = parser.errorText();
        return result;
    }
    if (asksForHelp(parser)) {
        result.outcome = Outcome::Help;
        result.message = parser.helpText();
        return result;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        result.outcome = Outcome::Version;
        result.message = QStringLiteral("Ringvane %1\n").arg(QStringLiteral(RINGVANE_VERSION));
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.outcome = Outcome::Error;
        result.message =
            QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first());
        return result;
    }

    QSettings settings(settingsPath, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        result.warnings
            << QStringLiteral("%1 cannot be read; its settings are ignored").arg(settingsPath);

    for (qsizetype i = 0; i < lineOptions.size(); ++i) {
        const OptionEntry &entry = kOptions[i];
        const QCommandLineOption &option = lineOptions[i];
        const QString key = QString::fromLatin1(entry.settingsKey);
        const QVariant stored = settings.value(key);
        ProgramOptions &options = result.options;
        if (auto *flag = std::get_if<bool ProgramOptions::*>(&entry.member)) {
            if (parser.isSet(option)) {
                options.*(*flag) = false;
            } else if (stored.isValid()) {
                if (const std::optional<bool> on = settingsBool(stored))
                    options.*(*flag) = *on;
                else
                    result.warnings
                        << ignoredSetting(settingsPath, key, stored, "neither true nor false");
            }
        } else if (auto *text = std::get_if<QString ProgramOptions::*>(&entry.member)) {
            if (parser.isSet(option))
                options.*(*text) = parser.value(option);
            else if (stored.isValid())
                options.*(*text) = stored.toString();
        }
    }
    return result;
}

ProgramOptions programOptionsOrExit(const QStringList &arguments)
{
    const ParsedProgramOptions parsed = parseProgramOptions(arguments);
    using Outcome = ParsedProgramOptions::Outcome;
    switch (parsed.outcome) {
    case Outcome::Help:
    case Outcome::Version:
        std::fputs(parsed.message.toLocal8Bit().constData(), stdout);
        std::fflush(stdout);
        std::exit(EXIT_SUCCESS);
    case Outcome::Error:
        std::fprintf(stderr, "ringvane: %s\nTry 'ringvane --help'.\n",
                     parsed.message.toLocal8Bit().constData());
        std::exit(2);
    case Outcome::Run:
        break;
    }
    for (const QString &warning : parsed.warnings)
        std::fprintf(stderr, "ringvane: %s\n", warning.toLocal8Bit().constData());
    return parsed.options;
}

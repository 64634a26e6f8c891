#include "shell/ProgramOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSettings>

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

// The descriptions and value names are shown in the help, translated there.
const OptionEntry kOptions[] = {
    {"no-notifications", nullptr,
     QT_TRANSLATE_NOOP("ringvane", "Raise no desktop notifications for calls."),
     "notifications/enabled", &ProgramOptions::notifications},
    {"feed", QT_TRANSLATE_NOOP("ringvane", "ADDRESS:PORT"),
     QT_TRANSLATE_NOOP("ringvane",
                       "Send calls to caller-ID clients (NCID) listening here; a port alone "
                       "means this computer only."),
     "feed/listen", &ProgramOptions::feed},
    {"region", QT_TRANSLATE_NOOP("ringvane", "CC"),
     QT_TRANSLATE_NOOP("ringvane",
                       "Read telephone numbers as the country with this two-letter code writes "
                       "them (GB, US, DE...); by default the country of your regional format."),
     "numbers/region", &ProgramOptions::region},
    {"blocking-mode", QT_TRANSLATE_NOOP("ringvane", "MODE"),
     QT_TRANSLATE_NOOP("ringvane",
                       "off: hang up on no call, only mark the listed ones (the default); list: "
                       "hang up on the calls the block list and rules name, unless allowed or in "
                       "the phonebook; known-only: hang up on every call not allowed and not in "
                       "the phonebook."),
     "blocking/mode", &ProgramOptions::blockingMode},
    {"blocking-withheld", "block|allow",
     QT_TRANSLATE_NOOP("ringvane", "Whether calls with the number withheld count as blocked."),
     "blocking/withheld", &ProgramOptions::blockingWithheld},
    {"blocking-invalid", "block|allow",
     QT_TRANSLATE_NOOP("ringvane",
                       "Whether calls from numbers that cannot exist count as blocked."),
     "blocking/invalid", &ProgramOptions::blockingInvalid},
    {"blocking-hold", QT_TRANSLATE_NOOP("ringvane", "SECONDS"),
     QT_TRANSLATE_NOOP("ringvane", "How long the line is held off hook before hanging up (1.5)."),
     "blocking/hold", &ProgramOptions::blockingHold},
    {"no-blocked-notices", nullptr,
     QT_TRANSLATE_NOOP("ringvane", "Raise no desktop notification for a call hung up on."),
     "blocking/notify", &ProgramOptions::blockingNotify},
};

QString translated(const char *text)
{
    return QCoreApplication::translate("ringvane", text);
}

// Reads the [blocking] texts into rules; what is not understood is said and left at its
// default (from the command line, an error: the user is there to correct it).
void readBlocking(ParsedProgramOptions &result, const QStringList &fromCommandLine,
                  const QString &settingsPath)
{
    ProgramOptions &options = result.options;
    ScreenRules &rules = options.blocking;
    rules.notify = options.blockingNotify;
    // expected: what the option takes, the values as they are written.
    const auto wrong = [&](const char *name, const QString &value, const char *expected) {
        if (fromCommandLine.contains(QString::fromLatin1(name))) {
            result.outcome = ParsedProgramOptions::Outcome::Error;
            const QString message =
                QCoreApplication::translate("ringvane", "--%1 takes %2, not '%3'.");
            result.message = message.arg(QString::fromLatin1(name), translated(expected), value);
        } else {
            const QString warning = QCoreApplication::translate(
                "ringvane", "%1: %2 in [blocking] is \"%3\", not %4; ignored");
            result.warnings << warning.arg(settingsPath, QString::fromLatin1(name).section(u'-', 1),
                                           value, translated(expected));
        }
    };
    if (!options.blockingMode.isEmpty()) {
        if (const std::optional<ScreenRules::Mode> mode = ScreenRules::modeNamed(options.blockingMode))
            rules.mode = *mode;
        else
            wrong("blocking-mode", options.blockingMode,
                  QT_TRANSLATE_NOOP("ringvane", "off, list or known-only"));
    }
    const auto blockOrAllow = [&](const char *name, const QString &value, bool &block) {
        const QString word = value.trimmed().toLower();
        if (word.isEmpty())
            return;
        if (word == u"block" || word == u"allow")
            block = word == u"block";
        else
            wrong(name, value, QT_TRANSLATE_NOOP("ringvane", "block or allow"));
    };
    blockOrAllow("blocking-withheld", options.blockingWithheld, rules.blockWithheld);
    blockOrAllow("blocking-invalid", options.blockingInvalid, rules.blockInvalid);
    if (!options.blockingHold.trimmed().isEmpty()) {
        bool number = false;
        const double seconds = options.blockingHold.trimmed().toDouble(&number);
        // Long enough for the exchange to see the call answered, short of tying up the line.
        if (number && seconds >= 0.2 && seconds <= 30)
            rules.holdMs = int(seconds * 1000);
        else
            wrong("blocking-hold", options.blockingHold,
                  QT_TRANSLATE_NOOP("ringvane", "seconds from 0.2 to 30"));
    }
}

std::optional<bool> settingsBool(const QVariant &value)
{
    const QString text = value.toString().trimmed().toLower();
    if (text == u"true" || text == u"yes" || text == u"on" || text == u"1")
        return true;
    if (text == u"false" || text == u"no" || text == u"off" || text == u"0")
        return false;
    return std::nullopt;
}

// A switch's settings key that holds neither true nor false.
QString ignoredSwitch(const QString &path, const QString &key, const QVariant &value)
{
    const QString group = key.section(u'/', 0, 0);
    const QString name = key.section(u'/', 1);
    const QString warning = QCoreApplication::translate(
        "ringvane", "%1: %2 in [%3] is \"%4\", neither true nor false; ignored");
    return warning.arg(path, name, group, value.toStringList().join(QStringLiteral(", ")));
}

} // namespace

namespace {

// The parser with the help, the version and every option of the table, in table order.
QList<QCommandLineOption> setUpParser(QCommandLineParser &parser, const QString &settingsPath)
{
    const QString description = QCoreApplication::translate(
        "ringvane", "Shows who is calling on your telephone line and keeps a log of the calls.\n"
                    "Settings: %1");
    parser.setApplicationDescription(description.arg(settingsPath));
    parser.addHelpOption();
    parser.addVersionOption();
    QList<QCommandLineOption> lineOptions;
    for (const OptionEntry &entry : kOptions) {
        QCommandLineOption option(QString::fromLatin1(entry.name), translated(entry.description));
        if (entry.valueName)
            option.setValueName(translated(entry.valueName));
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
        const QString message =
            QCoreApplication::translate("ringvane", "Unexpected argument '%1'.");
        result.message = message.arg(parser.positionalArguments().first());
        return result;
    }

    QSettings settings(settingsPath, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) {
        const QString warning =
            QCoreApplication::translate("ringvane", "%1 cannot be read; its settings are ignored");
        result.warnings << warning.arg(settingsPath);
    }

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
                    result.warnings << ignoredSwitch(settingsPath, key, stored);
            }
        } else if (auto *text = std::get_if<QString ProgramOptions::*>(&entry.member)) {
            if (parser.isSet(option))
                options.*(*text) = parser.value(option);
            else if (stored.isValid())
                options.*(*text) = stored.toString();
        }
    }
    QStringList fromCommandLine;
    for (qsizetype i = 0; i < lineOptions.size(); ++i) {
        if (parser.isSet(lineOptions[i]))
            fromCommandLine << QString::fromLatin1(kOptions[i].name);
    }
    readBlocking(result, fromCommandLine, settingsPath);
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
        std::fprintf(stderr, "ringvane: %s\n%s\n", parsed.message.toLocal8Bit().constData(),
                     QCoreApplication::translate("ringvane", "Try 'ringvane --help'.")
                         .toLocal8Bit()
                         .constData());
        std::exit(2);
    case Outcome::Run:
        break;
    }
    for (const QString &warning : parsed.warnings)
        std::fprintf(stderr, "ringvane: %s\n", warning.toLocal8Bit().constData());
    return parsed.options;
}

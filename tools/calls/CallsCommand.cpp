#include "tools/calls/CallsCommand.h"

#include "calllog/CallLog.h"
#include "failure/Failure.h"
#include "failure/Result.h"
#include "locale/LocaleDates.h"
#include "locale/LocaleSupport.h"
#include "platform/Database.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

namespace calls {

namespace {

QString quotedArgument(const QString &text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

Result<QDate> dayArgument(const QString &text, const QDate &today)
{
    if (const std::optional<QDate> day = dates::parseDayText(text))
        return *day;
    return Failure(
        0, QCoreApplication::translate("ringvane-calls",
                                       "%1 is not a day: give it as 2026-12-09 or as "
                                       "the day entry shows it, for example %2.")
               .arg(quotedArgument(text), FormatLocalDate(QDateTime(today, QTime()), true)));
}

bool isTimeLimit(const Failure &failure)
{
    const QString &state = failure.sqlState();
    return state == u"HYT00" || state == u"HYT01" || state == u"57014";
}

} // namespace

bool isDataSourceName(const QString &name)
{
    if (name.isEmpty())
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || QStringView(u"[]{}(),;?*=!@\\").contains(c))
            return false;
    }
    return true;
}

ParsedOptions parseOptions(const QStringList &arguments, const QDate &today)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, {});
    const QCommandLineOption day(QStringLiteral("day"), {}, QStringLiteral("DATE"));
    const QCommandLineOption from(QStringLiteral("from"), {}, QStringLiteral("DATE"));
    const QCommandLineOption to(QStringLiteral("to"), {}, QStringLiteral("DATE"));
    const QCommandLineOption number(QStringLiteral("number"), {}, QStringLiteral("TEXT"));
    const QCommandLineOption format(QStringLiteral("format"), {}, QStringLiteral("FORMAT"));
    const QCommandLineOption dsn(QStringLiteral("dsn"), {}, QStringLiteral("NAME"));
    parser.addOptions({help, day, from, to, number, format, dsn});

    ParsedOptions parsed;
    Options &o = parsed.options;
    QString &error = parsed.error;
    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return parsed;
    }
    if (parser.isSet(help)) {
        o.help = true;
        return parsed;
    }
    if (!parser.positionalArguments().isEmpty()) {
        error = QCoreApplication::translate("ringvane-calls", "Unexpected argument %1.")
                    .arg(quotedArgument(parser.positionalArguments().constFirst()));
        return parsed;
    }
    for (const QCommandLineOption *option : {&day, &from, &to, &number, &format, &dsn}) {
        if (parser.values(*option).size() > 1) {
            error = QCoreApplication::translate("ringvane-calls", "--%1 is given more than once.")
                        .arg(option->names().constFirst());
            return parsed;
        }
    }

    if (parser.isSet(day) && (parser.isSet(from) || parser.isSet(to))) {
        error = QCoreApplication::translate("ringvane-calls",
                                            "--day goes alone, without --from and --to.");
        return parsed;
    }
    if (parser.isSet(from) != parser.isSet(to)) {
        error = QCoreApplication::translate("ringvane-calls", "--from and --to go together.");
        return parsed;
    }
    o.selection.from = o.selection.to = today;
    if (parser.isSet(day)) {
        const Result<QDate> d = dayArgument(parser.value(day), today);
        if (!d) {
            error = d.errorString();
            return parsed;
        }
        o.selection.from = o.selection.to = *d;
    } else if (parser.isSet(from)) {
        const Result<QDate> first = dayArgument(parser.value(from), today);
        if (!first) {
            error = first.errorString();
            return parsed;
        }
        const Result<QDate> last = dayArgument(parser.value(to), today);
        if (!last) {
            error = last.errorString();
            return parsed;
        }
        if (*first > *last) {
            error = QCoreApplication::translate("ringvane-calls", "--from %1 is after --to %2.")
                        .arg(quotedArgument(parser.value(from)), quotedArgument(parser.value(to)));
            return parsed;
        }
        o.selection.from = *first;
        o.selection.to = *last;
    }

    if (parser.isSet(number)) {
        o.selection.number = parser.value(number);
        if (o.selection.number->size() > MaxPatternLength) {
            error = QCoreApplication::translate("ringvane-calls",
                                                "--number is longer than %n characters.", nullptr,
                                                int(MaxPatternLength));
            return parsed;
        }
    }
    if (parser.isSet(format)) {
        const QString name = parser.value(format);
        if (name == u"text") {
            o.format = Format::Text;
        } else if (name == u"csv") {
            o.format = Format::Csv;
        } else if (name == u"json") {
            o.format = Format::Json;
        } else {
            error = QCoreApplication::translate("ringvane-calls",
                                                "Unknown format %1: give text, csv or json.")
                        .arg(quotedArgument(name));
            return parsed;
        }
    }
    if (parser.isSet(dsn)) {
        o.dataSource = parser.value(dsn);
        if (!isDataSourceName(o.dataSource)) {
            error = QCoreApplication::translate("ringvane-calls", "%1 is not a data source name.")
                        .arg(quotedArgument(o.dataSource));
            return parsed;
        }
    }
    return parsed;
}

QString connectionString(const QString &dataSource)
{
    // NoCreat=1: a listing never leaves an empty SQLite file where the log was missing.
    return QStringLiteral("DSN=%1;StepAPI=1;UseDeclareFetch=1;NoCreat=1;").arg(dataSource);
}

Binding bindingFor(const QString &dataSource)
{
    const QString driver = QFileInfo(db::describeDataSource(dataSource).driverLibrary).fileName();
    return driver.contains(QLatin1String("sqlite"), Qt::CaseInsensitive) ? Binding::Staged
                                                                         : Binding::Direct;
}

FailureReport reportFor(const Failure &failure, const QString &dataSource, int queryTimeout)
{
    const QString source = QLatin1Char('"') + dataSource + QLatin1Char('"');
    if (failure.number() == ErrorNumber::ProviderNotFound)
        return {ExitNoOdbc,
                QCoreApplication::translate(
                    "ringvane-calls", "The ODBC support is not installed (package unixodbc).")};
    if (failure.sqlState() == u"IM002") {
        const QString message =
            dataSource == DefaultDataSource
                ? QCoreApplication::translate("ringvane-calls",
                                              "There is no ODBC data source %1. "
                                              "ringvane-setup-calllog creates it.")
                : QCoreApplication::translate("ringvane-calls", "There is no ODBC data source %1.");
        return {ExitNoDataSource, message.arg(source)};
    }
    // SQLite's "file is not a database": the file is there, but it is no call log.
    if (failure.source() == u"SQLite" && failure.nativeError() == 26) {
        return {ExitNoTable,
                QCoreApplication::translate("ringvane-calls",
                                            "The data source %1 holds no call log (its file is "
                                            "not a database):\n%2")
                    .arg(source, failure.description())};
    }
    if (isTimeLimit(failure)) {
        return {ExitUnreachable,
                QCoreApplication::translate("ringvane-calls",
                                            "The data source %1 did not answer within %n "
                                            "seconds:\n%2",
                                            nullptr, queryTimeout)
                    .arg(source, failure.description())};
    }
    if (db::failureKind(failure) == db::FailureKind::ConnectionGone) {
        return {ExitUnreachable, QCoreApplication::translate(
                                     "ringvane-calls", "The data source %1 cannot be reached:\n%2")
                                     .arg(source, failure.description())};
    }
    if (CallLog::isMissingTable(failure)) {
        return {ExitNoTable, QCoreApplication::translate(
                                 "ringvane-calls", "The data source %1 holds no call log (table "
                                                   "IDList):\n%2")
                                 .arg(source, failure.description())};
    }
    return {ExitDatabase,
            QCoreApplication::translate("ringvane-calls", "The data source %1 could not give the "
                                                          "call log:\n%2")
                .arg(source, failure.description())};
}

bool holdStandardDescriptors()
{
    bool outputOpen = true;
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1)
            continue;
        if (fd == STDOUT_FILENO)
            outputOpen = false;
        const int held = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (held != fd && held != -1)
            ::close(held);
    }
    return outputOpen;
}

} // namespace calls

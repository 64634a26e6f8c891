// ringvane-calls without a data source: its options, the query and number patterns, the
// three output formats with hostile caller text, and what a failure tells the user.

#include "tools/calls/CallsCommand.h"
#include "platform/Database.h"
#include "locale/DateServices.h"
#include "calllog/ListLine.h"
#include "tests/support/LocaleScope.h"

#include "failure/Failure.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace calls;

namespace {

const QDate kToday(2026, 12, 9);
const QDateTime kWhen = dates::makeDateTime(kToday, QTime(10, 15));

ParsedOptions parse(QStringList args)
{
    return parseOptions(QStringList{QStringLiteral("ringvane-calls")} + args, kToday);
}

struct Formatted
{
    std::string text, csv, json;
};

Formatted format(const CallRecord &call)
{
    Formatted f;
    appendTextLine(f.text, 1, call, TextStyle(u"."_qs, u"/"_qs, u":"_qs), true);
    appendCsvRecord(f.csv, call);
    appendJsonLine(f.json, call);
    return f;
}

} // namespace

TEST(CallsOptions, ReadsRangesFormatsAndRefusesWhatMakesNoSense)
{
    const struct
    {
        const char *locale;
        QStringList args;
        QDate from, to;
        const char *error; // part of the message; nullptr when the arguments are sound
    } cases[] = {
        {"C.UTF-8", {}, kToday, kToday, nullptr},
        {"en_US.UTF-8", {"--day", "01/12/2026"}, {2026, 1, 12}, {2026, 1, 12}, nullptr},
        {"de_DE.UTF-8",
         {"--from", "1.12.26", "--to", "2026-12-09"},
         {2026, 12, 1},
         kToday,
         nullptr},
        {"C.UTF-8", {"--day", "2026-02-30"}, {}, {}, "'2026-02-30' is not a day"},
        {"C.UTF-8", {"--from", "2026-12-09", "--to", "2026-12-01"}, {}, {}, "is after --to"},
        {"C.UTF-8", {"--from", "2026-12-09"}, {}, {}, "--from and --to go together"},
        {"C.UTF-8", {"--day", "2026-12-09", "--to", "2026-12-09"}, {}, {}, "--day goes alone"},
        {"C.UTF-8", {"--day", "2026-12-08", "--day", "2026-12-09"}, {}, {}, "more than once"},
        {"C.UTF-8", {"--format", "xml"}, {}, {}, "Unknown format 'xml'"},
        {"C.UTF-8", {"--help", "--bogus"}, {}, {}, "Unknown option 'bogus'"},
        {"C.UTF-8", {"--day"}, {}, {}, "Missing value"},
        {"C.UTF-8", {"today"}, {}, {}, "Unexpected argument 'today'"},
        {"C.UTF-8", {"--dsn", "CallerID;Driver=x"}, {}, {}, "is not a data source name"},
        {"C.UTF-8", {"--number", QString(MaxPatternLength + 1, u'5')}, {}, {}, "longer than 4096"},
    };
    for (const auto &c : cases) {
        LocaleScope scope(c.locale);
        const ParsedOptions parsed = parse(c.args);
        SCOPED_TRACE(c.args.join(u' ').left(60).toStdString() + " under " + c.locale);
        if (c.error) {
            EXPECT_TRUE(parsed.error.contains(QLatin1String(c.error)))
                << parsed.error.toStdString();
            continue;
        }
        EXPECT_EQ(parsed.error, QString());
        EXPECT_EQ(parsed.options.selection.from, c.from);
        EXPECT_EQ(parsed.options.selection.to, c.to);
    }
    EXPECT_TRUE(parse({"-h"}).options.help);
}

TEST(CallsQuery, BindsEveryValueInOrderDirectOrStaged)
{
    const QString range = u"SELECT * FROM idlist WHERE datetime>=? AND datetime<?"_qs;
    const struct
    {
        std::optional<QString> number;
        QString condition; // after the range
        QVariant value;    // the third value, staged as NULL where there is none
    } cases[] = {
        {std::nullopt, u""_qs, {}},
        {u"*"_qs, u""_qs, {}},
        {u"**"_qs, u""_qs, {}},
        {u"5550123"_qs, u" AND number=?"_qs, u"5550123"_qs},
        {u""_qs, u" AND (number=? OR number IS NULL)"_qs, u""_qs},
        {u"555*"_qs, u" AND number LIKE ? ESCAPE '!'"_qs, u"555%"_qs},
        {u"*a%b_c!d\\*"_qs, u" AND number LIKE ? ESCAPE '!'"_qs, u"%a!%b!_c!!d\\%"_qs},
    };
    const QDate last(2026, 12, 10);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.number.value_or(u"(none)"_qs).toStdString());
        QVariantList values{37542.0, double(dates::toDayNumber(last) + 1)};
        if (c.value.isValid())
            values << c.value;
        const Query direct = callQuery({QDate(2002, 10, 13), last, c.number}, Binding::Direct);
        EXPECT_TRUE(direct.preparation.isEmpty());
        EXPECT_EQ(direct.select.sql, range + c.condition + u" ORDER BY datetime"_qs);
        EXPECT_EQ(direct.select.parameters, values);

        const Query staged = callQuery({QDate(2002, 10, 13), last, c.number}, Binding::Staged);
        ASSERT_EQ(staged.preparation.size(), 3);
        values.resize(3);
        EXPECT_EQ(staged.preparation.last().parameters, values);
        EXPECT_TRUE(staged.select.parameters.isEmpty());
        QString select = staged.select.sql;
        for (const char *column : {"day_from", "day_after", "number"})
            select.replace(QStringLiteral("(SELECT %1 FROM temp.ringvane_calls_query)")
                               .arg(QLatin1String(column)),
                           u"?"_qs);
        EXPECT_EQ(select, direct.select.sql);
    }
}

TEST(CallsQuery, NumberPatternsMatchExactlyWithStarsForAnyText)
{
    const struct
    {
        const char *pattern, *number;
        bool matches;
    } cases[] = {
        {"5550123", "5550123", true},
        {"5550123", "55501234", false},
        {"abc", "ABC", false},
        {"a*", "A1", false},
        {"a*", "a", true},
        {"*", "", true},
        {"", "", true},
        {"", " ", false},
        {"5*3", "5550123", true},
        {"5*3", "55501230", false},
        {"*1*2*", "x1y2z", true},
        {"*aab", "aaab", true},
        {"a%c", "a%c", true},
        {"a%c", "abc", false},
        {"a_c", "abc", false},
        {"a!c", "a!c", true},
        {"a\\*", "a\\b", true},
        {"é*", "é1", true},
        {"É*", "é1", false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(numberMatches(QString::fromUtf8(c.pattern), QString::fromUtf8(c.number)),
                  c.matches)
            << c.pattern << " on " << c.number;
    }
}

TEST(CallsFormats, KeepCallerTextHarmlessInEveryFormat)
{
    const std::string long7 = std::string(4095, '7') + "\uFFFD";
    const struct
    {
        QString number;
        std::string text, csv; // the number as shown; "" for the csv: the number unchanged
    } cases[] = {
        {u"+1 555 0123"_qs, "+1 555 0123", ""},
        {u"-(555) 012.34/5#*"_qs, "-(555) 012.34/5#*", ""},
        {u"Zoë 北京"_qs, "Zoë 北京", ""},
        {u"\x1b[2J\x07"_qs, "\uFFFD[2J\uFFFD", "\uFFFD[2J\uFFFD"},
        {u"\u009b31m\u007f"_qs, "\uFFFD31m\uFFFD", "\uFFFD31m\uFFFD"},
        {u"\u202Eevil\u2066\u2028"_qs, "\uFFFDevil\uFFFD\uFFFD", "\uFFFDevil\uFFFD\uFFFD"},
        {u"a,\"b\""_qs, "a,\"b\"", "\"a,\"\"b\"\"\""},
        {u"a\r\nb\tc"_qs, "a\uFFFD\uFFFDb\uFFFDc", "\"a\r\nb\tc\""},
        {u"=HYPERLINK(\"http://x\",\"y\")"_qs, "=HYPERLINK(\"http://x\",\"y\")",
         "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\""},
        {u"@SUM(A1)"_qs, "@SUM(A1)", "'@SUM(A1)"},
        {u"  -2+3*cmd|' /C calc'!A0"_qs, "  -2+3*cmd|' /C calc'!A0", "'  -2+3*cmd|' /C calc'!A0"},
        {u"\t555"_qs, "\uFFFD555", "'\t555"},
        {u"\uFF1D1+1"_qs, "\uFF1D1+1", "'\uFF1D1+1"},
        {QString(4095, u'7') + u'\x1b', long7, long7},
        {QChar(0) + u"555"_qs + QChar(0) + u"666"_qs, "\uFFFD555\uFFFD666", "\uFFFD555\uFFFD666"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.number.left(40).toStdString());
        const Formatted f = format({kWhen, c.number, u"Ann"_qs, {}});
        EXPECT_EQ(f.text, "001.[2026/12/09 10:15] " + c.text + " Ann\n");
        const std::string cell = c.csv.empty() ? c.number.toStdString() : c.csv;
        EXPECT_EQ(f.csv, "2026-12-09T10:15," + cell + ",Ann,,\r\n");
        // JSON escapes, never replaces: the exact text comes back, and no control is raw.
        QJsonParseError error;
        const QJsonObject o =
            QJsonDocument::fromJson(QByteArray::fromStdString(f.json), &error).object();
        EXPECT_EQ(error.error, QJsonParseError::NoError) << f.json;
        EXPECT_EQ(o.value(u"number").toString(), c.number);
        for (const char ch : f.json.substr(0, f.json.size() - 1))
            EXPECT_TRUE(static_cast<unsigned char>(ch) >= 0x20 && ch != 0x7f) << f.json;
    }
}

TEST(CallsFormats, WriteAbsentValuesSecondsAndNamesAsDocumented)
{
    const QDateTime seconds = dates::makeDateTime(QDate(100, 1, 2), QTime(0, 5, 30));
    const struct
    {
        CallRecord call;
        const char *text, *csv, *json;
    } cases[] = {
        {{kWhen, u"555"_qs, {}, {}},
         "001.[2026/12/09 10:15] 555\n",
         "2026-12-09T10:15,555,,,\r\n",
         "{\"datetime\": \"2026-12-09T10:15\", \"number\": \"555\", \"name\": null, \"contact\": null, "
         "\"blocked\": false}\n"},
        {{seconds, {}, u""_qs, {}},
         "001.[0100/01/02 00:05] \n",
         "0100-01-02T00:05:30,,,,\r\n",
         "{\"datetime\": \"0100-01-02T00:05:30\", \"number\": null, \"name\": null, \"contact\": null, "
         "\"blocked\": false}\n"},
        {{{}, u""_qs, u"Bob \"B\""_qs, {}},
         "001.[ ]  Bob \"B\"\n",
         ",,\"Bob \"\"B\"\"\",,\r\n",
         "{\"datetime\": null, \"number\": \"\", \"name\": \"Bob \\\"B\\\"\", \"contact\": null, "
         "\"blocked\": false}\n"},
        {{kWhen, u"02079460958"_qs, u"J SMITH"_qs, u"Mum, \"M\""_qs},
         "001.[2026/12/09 10:15] 02079460958 J SMITH (Mum, \"M\")\n",
         "2026-12-09T10:15,02079460958,J SMITH,\"Mum, \"\"M\"\"\",\r\n",
         "{\"datetime\": \"2026-12-09T10:15\", \"number\": \"02079460958\", \"name\": \"J SMITH\", "
         "\"contact\": \"Mum, \\\"M\\\"\", \"blocked\": false}\n"},
        {{kWhen, u"P"_qs, u"SPAM"_qs, u"Spam, again"_qs, true},
         "001.[2026/12/09 10:15] P SPAM (Spam, again) [hung up]\n",
         "2026-12-09T10:15,P,SPAM,\"Spam, again\",yes\r\n",
         "{\"datetime\": \"2026-12-09T10:15\", \"number\": \"P\", \"name\": \"SPAM\", "
         "\"contact\": \"Spam, again\", \"blocked\": true}\n"}, // hung up: marked last
    };
    for (const auto &c : cases) {
        const Formatted f = format(c.call);
        EXPECT_EQ(f.text, c.text);
        EXPECT_EQ(f.csv, c.csv);
        EXPECT_EQ(f.json, c.json);
    }
}

TEST(CallsFormats, TextIsTheCallListsLine)
{
    const struct
    {
        int listNumber;
        const char *decimal, *date, *time;
        QDateTime when;
    } cases[] = {
        {1, ".", "/", ":", kWhen},
        {999, ",", ".", ".", dates::makeDateTime(QDate(2002, 10, 13), QTime(14, 25))},
        {1000, "٫", "-", "", dates::makeDateTime(QDate(1899, 12, 29), QTime(23, 59))},
        {2147483647, "", " ", "h", dates::makeDateTime(QDate(9999, 12, 31), QTime(0, 0))},
    };
    for (const auto &c : cases) {
        const QString decimal = QString::fromUtf8(c.decimal), date = QString::fromUtf8(c.date),
                      time = QString::fromUtf8(c.time);
        std::string line;
        appendTextLine(line, c.listNumber, {c.when, u"5550123"_qs, u"Ann"_qs, {}},
                       TextStyle(decimal, date, time), false);
        const QString expected =
            listLine(c.listNumber, decimal, dates::formatCallDate(c.when.date(), date),
                     dates::formatCallTime(c.when.time(), time), u"5550123"_qs);
        EXPECT_EQ(line, (expected + u'\n').toStdString());
    }
}

TEST(CallsFailures, TellTheKindOfFailureByItsState)
{
    const struct
    {
        int number;
        const char *state;
        int native;
        const char *source, *description;
        ExitCode exitCode;
        const char *says;
    } cases[] = {
        {ErrorNumber::ProviderNotFound, "", 0, "Database", "", ExitNoOdbc, "package unixodbc"},
        {db::GeneralFailure, "IM002", 0, "unixODBC", "no DSN", ExitNoDataSource,
         "no ODBC data source \"CallerID\". ringvane-setup-calllog"},
        {db::GeneralFailure, "08001", 101, "PostgreSQL", "refused", ExitUnreachable,
         "cannot be reached"},
        {db::GeneralFailure, "HY000", 14, "SQLite", "unable to open", ExitUnreachable,
         "cannot be reached"},
        {db::GeneralFailure, "HYT00", 0, "PostgreSQL", "timeout", ExitUnreachable,
         "within 30 seconds"},
        {db::GeneralFailure, "42P01", 7, "PostgreSQL", "relation", ExitNoTable, "no call log"},
        {db::GeneralFailure, "42S02", 0, "Other", "missing", ExitNoTable, "no call log"},
        {db::GeneralFailure, "HY000", 1, "SQLite", "no such table: idlist (1)", ExitNoTable,
         "no call log"},
        {db::GeneralFailure, "HY000", 1, "SQLite", "no such column: number (1)", ExitDatabase,
         "could not give"},
        {db::GeneralFailure, "01000", 0, "unixODBC", "Can't open lib", ExitDatabase,
         "Can't open lib"},
    };
    for (const auto &c : cases) {
        const Failure failure(c.number, QString::fromUtf8(c.description),
                              QString::fromUtf8(c.source), QString::fromUtf8(c.state), c.native);
        const FailureReport report = reportFor(failure, DefaultDataSource, 30);
        EXPECT_EQ(report.exitCode, c.exitCode) << c.state << " " << c.description;
        EXPECT_TRUE(report.message.contains(QString::fromUtf8(c.says)))
            << report.message.toStdString();
    }
}

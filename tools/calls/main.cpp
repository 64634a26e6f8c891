// ringvane-calls: the call log from the command line, as text like the call list, CSV or
// JSON lines. Rows are read and written one at a time, whatever the range.

#include "callers/NumberDirectory.h"
#include "callers/PhoneNumbers.h"
#include "calllog/OneLine.h"
#include "tools/calls/CallsCommand.h"

#include "calllog/CallLog.h"
#include "failure/Failure.h"
#include "failure/Result.h"
#include "locale/DateServices.h"
#include "locale/LocaleDates.h"
#include "locale/LocaleSupport.h"
#include "locale/Nls.h"
#include "platform/Database.h"
#include "translations/Translations.h"

#include <QCoreApplication>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

using namespace calls;

// Generous: a range of years with a number pattern is a long scan on a large log.
constexpr int kQueryTimeout = 30; // seconds

const char *const kUsage =
    QT_TRANSLATE_NOOP("ringvane-calls",
                      R"(Usage: ringvane-calls [--day DATE | --from DATE --to DATE] [--number TEXT]
                      [--format text|csv|json] [--dsn NAME]

Lists the calls in Ringvane's call log, oldest first.

  --day DATE           the calls of one day (without a range: today)
  --from DATE --to DATE
                       the calls of these days and every day between them
  --number TEXT        only calls from this number, exactly as stored (upper and
                       lower case differ); a * stands for any text, as in 555*
  --format FORMAT      text (lines like the call list, the default), csv or json
                       (one object a line)
  --dsn NAME           the ODBC data source of the call log (default CallerID)
  -h, --help           this text

A DATE is written as 2026-12-09, or as Ringvane's day entry shows it.

In csv, a number or name that a spreadsheet would run as a formula (one that
starts with = + - @ or a tab) gets a leading apostrophe, unless it is only a phone
number such as +1 555 0123.

Exit status: 0 done, 1 wrong arguments, 2 no such data source, 3 the data source
cannot be reached, 4 no call log table in it, 5 another failure of the data
source, 6 the ODBC support is not installed, 7 the output could not be written.
)");

void writeError(const QString &text)
{
    const QByteArray bytes = "ringvane-calls: " + text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

// Standard output in large pieces; a failed write is remembered, not retried.
class Output
{
public:
    static constexpr size_t FlushAt = 64 * 1024;

    Output() { m_buffer.reserve(2 * FlushAt); }
    std::string &buffer() { return m_buffer; }
    bool flushIfFull() { return m_buffer.size() < FlushAt || flush(); }
    bool flush()
    {
        const char *data = m_buffer.data();
        size_t left = m_buffer.size();
        while (left > 0 && m_error == 0) {
            const ssize_t written = ::write(STDOUT_FILENO, data, left);
            if (written < 0) {
                if (errno != EINTR)
                    m_error = errno;
                continue;
            }
            data += written;
            left -= size_t(written);
        }
        m_buffer.clear(); // keeps the room
        return m_error == 0;
    }
    QString errorText() const { return QString::fromLocal8Bit(std::strerror(m_error)); }

private:
    std::string m_buffer;
    int m_error = 0;
};

int listCalls(const Options &options)
{
    const TextStyle style{dates::decimalSeparator(), GetLocaleString(LOCALE_SDATE),
                          GetLocaleString(LOCALE_STIME)};
    const Selection &selection = options.selection;
    Output output;
    std::string &out = output.buffer();
    db::Connection connection;
    connection.setQueryTimeout(kQueryTimeout);
    Result<void> listed = tryResult([&] {
        // Longer than any data source name ODBC allows: the driver manager would complain
        // of its keyword instead of saying there is no such source.
        if (options.dataSource.size() > MaxDataSourceNameLength)
            throw Failure(db::GeneralFailure, QStringLiteral("Data source name too long"),
                          QStringLiteral("Database"), QStringLiteral("IM002"), 0);
        connection.Open(connectionString(options.dataSource), {}, {}, -1);
    });
    bool tooMany = false;
    // The user's phonebook names the callers; one that cannot be read leaves them unnamed.
    const PhoneNumbers numbers(PhoneNumbers::userRegion());
    NumberDirectory contacts(numbers);
    if (listed) {
        const Result<QList<Contact>> phonebook = CallLog(connection).readPhonebook();
        if (phonebook) {
            QList<NumberDirectory::Entry> entries;
            entries.reserve(phonebook->size());
            for (const Contact &contact : *phonebook)
                entries.append({contact.number, contact.name});
            contacts.addAll(entries);
        } else {
            writeError(QCoreApplication::translate("ringvane-calls",
                                                   "The phonebook cannot be read, calls are "
                                                   "listed without contacts: %1")
                           .arg(oneLine(phonebook.errorString())));
        }
    }
    if (listed) {
        if (options.format == Format::Csv)
            appendCsvHeader(out);
        int listNumber = 0;
        listed = CallLog(connection)
                     .readRange(callQuery(selection, bindingFor(options.dataSource)),
                                selection.number, [&](const Call &call, bool withName) {
                                    const CallRecord record{
                                        call.when, call.number, call.name,
                                        contacts.size() ? contacts.lookup(call.number) : QString(),
                                        call.blocked};
                                    switch (options.format) {
                                    case Format::Text:
                                        if (listNumber == INT_MAX) {
                                            tooMany = true;
                                            return false;
                                        }
                                        appendTextLine(out, ++listNumber, record, style, withName);
                                        break;
                                    case Format::Csv:
                                        appendCsvRecord(out, record);
                                        break;
                                    case Format::Json:
                                        appendJsonLine(out, record);
                                        break;
                                    }
                                    return output.flushIfFull();
                                });
    }
    if (tooMany) {
        output.flush();
        writeError(QCoreApplication::translate(
            "ringvane-calls", "More calls than the list can number; give a shorter range."));
        return ExitUsage;
    }
    if (!listed) {
        output.flush();
        const FailureReport report = reportFor(listed.failure(), options.dataSource, kQueryTimeout);
        writeError(report.message);
        return report.exitCode;
    }
    if (!output.flush()) {
        writeError(QCoreApplication::translate("ringvane-calls", "Could not write the output: %1.")
                       .arg(output.errorText()));
        return ExitOutput;
    }
    return ExitOk;
}

} // namespace

int main(int argc, char **argv)
{
    if (!holdStandardDescriptors()) {
        // Before the application object, so no translator yet: this one stays English.
        writeError(QCoreApplication::translate("ringvane-calls",
                                               "Could not write the output: standard output is "
                                               "closed."));
        return ExitOutput;
    }
    QCoreApplication app(argc, argv);
    translations::installTranslations();
    const ParsedOptions parsed = parseOptions(app.arguments(), dates::systemClock().now().date());
    if (!parsed.error.isEmpty()) {
        writeError(parsed.error + QLatin1Char('\n') +
                   QCoreApplication::translate("ringvane-calls", "Try 'ringvane-calls --help'."));
        return ExitUsage;
    }
    if (parsed.options.help) {
        std::fputs(QCoreApplication::translate("ringvane-calls", kUsage).toUtf8().constData(),
                   stdout);
        return ExitOk;
    }
    return listCalls(parsed.options);
}

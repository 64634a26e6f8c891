// ringvane-contacts: the phonebook beside the call log from the command line: list it,
// add and remove entries, import the address books users keep, export it.

#include "tools/contacts/ContactsCommand.h"

#include "callers/ContactFiles.h"
#include "callers/PhoneNumbers.h"
#include "calllog/CallLog.h"
#include "failure/Failure.h"
#include "failure/Result.h"
#include "platform/Database.h"
#include "tools/calls/CallsCommand.h"
#include "tools/calls/CallsFormat.h"
#include "translations/Translations.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

using namespace contacts;

constexpr int kQueryTimeout = 30; // seconds: an import is one transaction

const char *const kUsage = QT_TRANSLATE_NOOP(
    "ringvane-contacts",
    "Usage: ringvane-contacts list [--format text|csv|json]\n"
    "       ringvane-contacts add NUMBER NAME\n"
    "       ringvane-contacts remove NUMBER\n"
    "       ringvane-contacts block|allow|unmark NUMBER\n"
    "       ringvane-contacts block-name|remove-name RULE\n"
    "       ringvane-contacts import FILE\n"
    "       ringvane-contacts export [--format vcard|csv]\n"
    "       (each with [--dsn NAME])\n"
    "\n"
    "Keeps Ringvane's phonebook, the names it shows for callers' numbers, in the table\n"
    "Phonebook beside the call log.\n"
    "\n"
    "  list                 the entries, by name (text, csv or json lines)\n"
    "  add NUMBER NAME      adds an entry, or gives a number already there the new name\n"
    "  remove NUMBER        removes the entries with this number, their marks with them\n"
    "  block NUMBER         puts the number on the block list (a new number becomes an\n"
    "                       entry without a name)\n"
    "  allow NUMBER         puts the number on the allow list\n"
    "  unmark NUMBER        takes the number off either list (keeps its name)\n"
    "  block-name RULE      puts the calls whose name from the line is RULE on the block\n"
    "                       list (* for any text, capitals or not: 'SPAM*', TELEMARKETER)\n"
    "  remove-name RULE     removes that name rule\n"
    "  import FILE          brings in the numbers of a vCard file (2.1, 3.0, 4.0) or of\n"
    "                       Google Contacts' CSV export, each under its card's name;\n"
    "                       says what it added, changed and skipped\n"
    "  export               writes the named entries as vCard 4.0 (the default) or as CSV\n"
    "                       in Google Contacts' columns; marks and rules stay out (list\n"
    "                       --format csv has them)\n"
    "  --dsn NAME           the ODBC data source of the call log (default CallerID)\n"
    "  -h, --help           this text\n"
    "\n"
    "A number ending in * covers every number that starts so (0800*). Numbers are the\n"
    "same when they are the same telephone number in your country (from your locale):\n"
    "+44 20 7946 0958 and 020 7946 0958 are one entry in the United Kingdom.\n"
    "\n"
    "list shows each entry's mark ([block], [allow]) and the name rules last\n"
    "([block-name]). Whether Ringvane hangs up on a listed call is set in the group\n"
    "[blocking] of ~/.config/ringvane/ringvane.conf.\n"
    "\n"
    "Exit status: 0 done, 1 wrong arguments, 2 no such data source, 3 the data source\n"
    "cannot be reached, 4 nothing to remove (remove, unmark, remove-name) or the file\n"
    "cannot be read (import), 5 another failure of the data source, 6 the ODBC support\n"
    "is not installed, 7 the output could not be written.\n");

void writeError(const QString &text)
{
    const QByteArray bytes = "ringvane-contacts: " + text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

// Standard output in one go; false after a message when it cannot be written.
bool writeOutput(const std::string &text)
{
    const char *data = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(STDOUT_FILENO, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            writeError(
                QCoreApplication::translate("ringvane-contacts", "Could not write the output: %1.")
                    .arg(QString::fromLocal8Bit(std::strerror(errno))));
            return false;
        }
        data += written;
        left -= size_t(written);
    }
    return true;
}

// What the user reads: controls from a file or the table shown as U+FFFD.
std::string visible(const QString &text)
{
    std::string out;
    calls::appendVisible(out, text);
    return out;
}

Failure tooLarge(const QString &path)
{
    const int mebibytes = int(LargestFile / 1024 / 1024);
    return Failure(0, QCoreApplication::translate("ringvane-contacts",
                                                  "%1 is larger than %n MiB; no address book is.",
                                                  nullptr, mebibytes)
                          .arg(path));
}

Result<contactfiles::Contents> readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failure(0, QCoreApplication::translate("ringvane-contacts", "Could not read %1: %2.")
                              .arg(path, file.errorString()));
    if (file.size() > LargestFile)
        return tooLarge(path);
    const QByteArray bytes = file.read(LargestFile + 1);
    if (bytes.size() > LargestFile)
        return tooLarge(path);
    return contactfiles::readContacts(bytes);
}

int run(const Options &options)
{
    contactfiles::Contents incoming;
    if (options.command == Command::Import) {
        Result<contactfiles::Contents> read = readFile(options.arguments.constFirst());
        if (!read) {
            writeError(read.errorString());
            return ExitNotFound;
        }
        incoming = std::move(*read);
    } else if (options.command == Command::Add) {
        incoming.entries.append({options.arguments.at(0), options.arguments.at(1)});
    }

    db::Connection connection;
    connection.setQueryTimeout(kQueryTimeout);
    std::optional<CallLog> log;
    std::string out;
    const Result<void> opened =
        tryResult([&] { connection.Open(connectionString(options.dataSource), {}, {}, -1); });
    if (opened)
        log.emplace(connection);
    const Result<QList<Contact>> existing =
        log ? log->readPhonebook() : Result<QList<Contact>>(opened.failure());
    const PhoneNumbers numbers(PhoneNumbers::userRegion());
    Result<void> done = existing ? Result<void>() : Result<void>(existing.failure());
    int exitCode = ExitOk;
    if (done) {
        switch (options.command) {
        case Command::List:
            appendList(out, sortedForList(*existing), options.format);
            break;
        case Command::Export:
            if (options.format == Format::Csv)
                appendGoogleCsv(out, sortedForList(namedEntries(*existing)));
            else
                appendVCards(out, sortedForList(namedEntries(*existing)));
            break;
        case Command::Add:
        case Command::Import: {
            const Merge merged = merge(*existing, incoming, numbers);
            done = log->changePhonebook(merged.changes);
            if (!done)
                break;
            if (options.command == Command::Add) {
                for (const QString &line : merged.said)
                    out += visible(line) + '\n';
                for (const contactfiles::Skipped &skipped : merged.skipped)
                    out += visible(skipped.reason) + '\n';
                break;
            }
            // The number added decides the plural: a language may say "1 entry added".
            out += visible(QCoreApplication::translate(
                               "ringvane-contacts",
                               "Added %n, changed %1, already there %2, skipped %3.", nullptr,
                               merged.added)
                               .arg(merged.changed)
                               .arg(merged.unchanged)
                               .arg(merged.skipped.size())) +
                   '\n';
            for (const contactfiles::Skipped &skipped : merged.skipped) {
                const QString said =
                    skipped.line > 0
                        ? QCoreApplication::translate("ringvane-contacts", "skipped line %1: %2")
                              .arg(skipped.line)
                              .arg(skipped.reason)
                        : QCoreApplication::translate("ringvane-contacts", "skipped %1")
                              .arg(skipped.reason);
                out += "  " + visible(said) + '\n';
            }
            break;
        }
        case Command::Remove: {
            const std::string key = entryKey(numbers, options.arguments.constFirst());
            QStringList gone; // each stored writing once
            for (const Contact &contact : std::as_const(*existing)) {
                if (isNameRule(contact) || entryKey(numbers, contact.number) != key ||
                    gone.contains(contact.number))
                    continue;
                const Result<qint64> removed = log->removeContact(contact.number);
                if (!removed) {
                    done = removed.failure();
                    break;
                }
                gone << contact.number;
                out += visible(QCoreApplication::translate("ringvane-contacts", "Removed %1.")
                                   .arg(entryText(contact))) +
                       '\n';
            }
            if (done && gone.isEmpty()) {
                writeError(
                    QCoreApplication::translate("ringvane-contacts", "No entry has the number %1.")
                        .arg(QString::fromStdString(visible(options.arguments.constFirst()))));
                exitCode = ExitNotFound;
            }
            break;
        }
        case Command::Block:
        case Command::Allow:
        case Command::Unmark: {
            const QString mark = options.command == Command::Block   ? QStringLiteral("block")
                                 : options.command == Command::Allow ? QStringLiteral("allow")
                                                                     : QString();
            const Marking steps = marking(*existing, options.arguments.constFirst(), mark, numbers);
            for (const MarkStep &step : steps) {
                if (!step.number.isEmpty()) {
                    done = log->markNumber(step.number, mark);
                    if (!done)
                        break;
                }
                out += visible(step.said) + '\n';
            }
            if (steps.isEmpty()) {
                writeError(
                    QCoreApplication::translate("ringvane-contacts", "%1 is on neither list.")
                        .arg(QString::fromStdString(visible(options.arguments.constFirst()))));
                exitCode = ExitNotFound;
            }
            break;
        }
        case Command::BlockName:
        case Command::RemoveName: {
            const QString &rule = options.arguments.constFirst();
            QString stored; // the rule as the phonebook has it, in whatever capitals
            for (const Contact &contact : std::as_const(*existing)) {
                if (isNameRule(contact) && contact.name.compare(rule, Qt::CaseInsensitive) == 0)
                    stored = contact.name;
            }
            if (options.command == Command::BlockName) {
                if (!stored.isEmpty()) {
                    out += visible(QCoreApplication::translate("ringvane-contacts",
                                                               "The name rule %1 is already there.")
                                       .arg(stored)) +
                           '\n';
                } else if ((done = log->addNameRule(rule))) {
                    out += visible(QCoreApplication::translate("ringvane-contacts",
                                                               "Added the name rule %1.")
                                       .arg(rule)) +
                           '\n';
                }
                break;
            }
            const Result<qint64> removed = log->removeNameRule(rule);
            if (!removed) {
                done = removed.failure();
            } else if (*removed == 0) {
                writeError(
                    QCoreApplication::translate("ringvane-contacts", "There is no name rule %1.")
                        .arg(QString::fromStdString(visible(rule))));
                exitCode = ExitNotFound;
            } else {
                out += visible(QCoreApplication::translate("ringvane-contacts",
                                                           "Removed the name rule %1.")
                                   .arg(stored.isEmpty() ? rule : stored)) +
                       '\n';
            }
            break;
        }
        }
    }
    if (!writeOutput(out))
        return ExitOutput;
    if (!done) {
        const FailureReport report = reportFor(done.failure(), options.dataSource, kQueryTimeout);
        writeError(report.message);
        return report.exitCode;
    }
    return exitCode;
}

} // namespace

int main(int argc, char **argv)
{
    if (!calls::holdStandardDescriptors()) {
        // Before the application object, so no translator yet: this one stays English.
        writeError(QCoreApplication::translate("ringvane-contacts",
                                               "Could not write the output: standard output is "
                                               "closed."));
        return ExitOutput;
    }
    QCoreApplication app(argc, argv);
    translations::installTranslations();
    const ParsedOptions parsed = parseOptions(app.arguments());
    if (!parsed.error.isEmpty()) {
        writeError(
            parsed.error + QLatin1Char('\n') +
            QCoreApplication::translate("ringvane-contacts", "Try 'ringvane-contacts --help'."));
        return ExitUsage;
    }
    if (parsed.options.help) {
        std::fputs(QCoreApplication::translate("ringvane-contacts", kUsage).toUtf8().constData(),
                   stdout);
        return ExitOk;
    }
    return run(parsed.options);
}

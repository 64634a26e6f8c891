#pragma once

#include "calllog/CallLog.h"
#include "callers/ContactFiles.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <string>

class Failure;
class PhoneNumbers;

// ringvane-contacts without its input and output: what the arguments ask for, how an
// import or an addition meets the entries already there, the files and lines it writes,
// and what a failure of the data source means for the user and the exit status.
namespace contacts {

enum ExitCode {
    ExitOk = 0,
    ExitUsage = 1,        // a wrong command, option or format
    ExitNoDataSource = 2, // no such ODBC data source
    ExitUnreachable = 3,  // the server or the file cannot be reached, or did not answer
    ExitNotFound = 4,     // remove, unmark, remove-name: nothing to remove; import: the file
                          // cannot be read
    ExitDatabase = 5,     // any other failure the data source reported
    ExitNoOdbc = 6,       // the ODBC driver manager is not installed
    ExitOutput = 7,       // the output could not be written
};

enum class Command { List, Add, Remove, Import, Export, Block, Allow, Unmark, BlockName, RemoveName };
enum class Format { Text, Csv, Json, VCard };

// A contact file larger than this is refused rather than read into memory.
inline constexpr qint64 LargestFile = 64 * 1024 * 1024;

struct Options
{
    bool help = false;
    Command command = Command::List;
    QStringList arguments; // the command's own: NUMBER NAME, NUMBER, FILE, RULE
    Format format = Format::Text;
    QString dataSource = QStringLiteral("CallerID");
};

struct ParsedOptions
{
    Options options;
    QString error; // empty when the arguments were sound
};

// arguments as main() has them, program name first.
ParsedOptions parseOptions(const QStringList &arguments);

QString connectionString(const QString &dataSource);

// Entries are the same when their numbers are one telephone number (or one range) in the
// user's region, whatever the writing.
std::string entryKey(const PhoneNumbers &numbers, const QString &number);

// What bringing entries into the phonebook does: a number it has under the same name is
// left alone, under another name it gets the new one, a new number is added. Within what
// is brought in, the first entry of a number counts; later ones are skipped.
struct Merge
{
    CallLog::PhonebookChanges changes;
    int added = 0;
    int changed = 0;
    int unchanged = 0;
    QList<contactfiles::Skipped> skipped; // line 0: not from a line of the file
    QStringList said;                     // one line for each change, for add
};
Merge merge(const QList<Contact> &existing, const contactfiles::Contents &incoming,
            const PhoneNumbers &numbers);

// A rule on the name the line sends rather than an entry of a number.
bool isNameRule(const Contact &contact);
// An entry as the user reads it in a sentence: "NUMBER (NAME)", or the number alone.
QString entryText(const Contact &contact);

// The phonebook sorted for the user: by name, then number; the name rules last.
QList<Contact> sortedForList(QList<Contact> contacts);
// What an address book can hold: the entries with a name (their marks stay here).
QList<Contact> namedEntries(const QList<Contact> &contacts);

// What block, allow or unmark (mark empty) does to the entries whose number is the one
// asked for: each stored writing of it gets the mark, a new number becomes an entry.
struct MarkStep
{
    QString number; // the stored writing to mark; empty: nothing to change
    QString said;
};
using Marking = QList<MarkStep>; // none: unmark found nothing marked
Marking marking(const QList<Contact> &existing, const QString &number, const QString &mark,
                const PhoneNumbers &numbers);

// list's formats: "NUMBER  NAME [MARK]" lines with the numbers in one column and every
// control shown as U+FFFD (a name rule: no number, the rule as its name); CSV
// "number,name,mark"; JSON lines {"number", "name", "mark"}.
void appendList(std::string &out, const QList<Contact> &contacts, Format format);
// export's: vCard 4.0, one card a name with a TEL for each of its numbers; or Google
// Contacts' CSV ("Name,Phone 1 - Value,..."), which both read back as the same entries.
void appendVCards(std::string &out, const QList<Contact> &contacts);
void appendGoogleCsv(std::string &out, const QList<Contact> &contacts);

struct FailureReport
{
    ExitCode exitCode;
    QString message;
};
FailureReport reportFor(const Failure &failure, const QString &dataSource, int queryTimeout);

} // namespace contacts

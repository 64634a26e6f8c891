#pragma once

#include "calllog/Call.h"
#include "calllog/CallSpool.h"
#include "failure/Result.h"
#include "platform/Database.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariant>
#include <QVariantList>

#include <functional>
#include <optional>

// One entry of the user's phonebook as stored: the number as the user wrote it (a range
// ends in "*"), the name, and the allow/block mark (null: none). The marks: "allow",
// "block", and "block-name" for a rule on the name the line sends, the rule ("SPAM*") in
// name and the number empty.
struct Contact
{
    QString number;
    QString name;
    QString mark;
    bool operator==(const Contact &) const = default;
};

// Rows of the call log by day number and number.
using RowCounts = QHash<QPair<double, QString>, qint64>;

// The row a call makes: the day number of its minute, as the log stores its stamp, and
// its number.
QPair<double, QString> rowKey(const Call &call);
// Of the calls in a transaction whose commit went unanswered, the ones that are in the log:
// those whose date-time and number have gained at least as many rows as the transaction
// held of them since before it. The rest are to be stored again (a duplicate is allowed, a
// lost call is not).
QList<quint64> storedDespiteDoubt(const QList<SpooledCall> &calls, const RowCounts &before,
                                  const RowCounts &after);

// The one place that knows the call-log table IDList: how it is made, which of its columns
// hold what, how a call's moment becomes the stored day number and back, and the
// statements that append and read calls. Everything else reaches the table through here.
class CallLog
{
public:
    // Original: the two columns of the first versions (datetime, number). Current: with the
    // caller's name and the action taken on the call.
    enum class Layout { Original, Current };

    // What the column action holds for a call Ringvane hung up on; NULL for every other.
    static constexpr QLatin1StringView BlockedAction{"blocked"};

    // Where the table keeps what; found once per connection.
    struct Columns
    {
        QString names;           // the columns an append fills, quoted, in order
        QString when;            // the first column, quoted
        QString number;          // the second column, quoted
        QString name;            // the caller's name column, quoted, when withName
        QString action;          // the action column, quoted, when withAction
        bool dayNumbers = false; // the first column is "datetime"; else it holds stamp text
        bool withName = false;
        bool withAction = false;
    };

    // Where a read row has what: the date-time by name, else first; the number by name,
    // else second; the caller's name and the action, when the table has columns "name" and
    // "action" after the first two.
    struct RowColumns
    {
        int when = 0;
        int number = 1;
        int name = -1;
        bool hexTexts = false; // the texts come as their UTF-8 in hexadecimal
        int action = -1;
    };

    struct Statement
    {
        QString sql;
        QVariantList parameters;
    };
    // How a range's values reach its query. Direct: as its parameters. Staged: through a
    // bound INSERT into a temporary table that the query reads, for the SQLite driver,
    // which hands over rows as they are read (StepAPI) only for statements without
    // parameters.
    enum class Binding { Direct, Staged };
    struct Query
    {
        QList<Statement> preparation; // run first, in order, on the same connection
        Statement select;
    };

    // Rows per INSERT statement: a few hundred bound values, well within every driver's
    // limit.
    static constexpr qsizetype RowsPerStatement = 250;

    explicit CallLog(db::Connection &connection);

    // Makes the table and its index where they are missing; rows are untouched.
    static Result<void> create(db::Connection &connection, Layout layout = Layout::Original);
    // Adds the column "name" to a table that has none; false when it had one.
    static Result<bool> addNameColumn(db::Connection &connection);
    // Adds the columns "name" and "action", each where the table has none; the ones added,
    // in that order.
    static Result<QStringList> addColumns(db::Connection &connection);
    // Makes the table Phonebook (number, name, mark) where it is missing.
    static Result<void> createPhonebook(db::Connection &connection);
    // Whether the data source said a table is not there (SQLite's "no such table",
    // 42S02, PostgreSQL's 42P01).
    static bool isMissingTable(const Failure &failure);

    // Days since 1899-12-30, the time of day as the fraction; and back (invalid for a
    // number no date has).
    static double dayNumber(const QDateTime &when);
    static qint64 dayNumber(QDate day);
    static QDateTime dateTimeOf(double dayNumber);
    // A stored date-time value as the driver gives it: a day number, or a stamp's text.
    static QDateTime dateTimeOf(const QVariant &stored);

    // Whether a stored action says the line was hung up on the call.
    static bool isBlockedAction(const QVariant &stored, bool hex = false);
    static RowColumns rowColumns(db::Recordset &recordset);
    // The call in the recordset's current row.
    static Call callAt(db::Recordset &recordset, const RowColumns &columns);

    // "select * from idlist where datetime>=S and datetime<S+1", both numbers plain decimal.
    static QString dayQuery(QDate day);
    // The calls of the days from..to, both included, oldest first, whose number matches
    // pattern ('*' stands for any text; nullopt lists every call).
    static Query rangeQuery(QDate from, QDate to, const std::optional<QString> &pattern,
                            Binding binding);
    // The pattern as the operand of LIKE ... ESCAPE '!': '*' becomes '%', and LIKE's own
    // '%', '_' and the escape character '!' match only themselves.
    static QString likePattern(QStringView pattern);
    // Whether number is exactly pattern, '*' matching any text (none included). The data
    // source's LIKE may ignore case (SQLite's does, for ASCII); this is the final word.
    static bool numberMatches(QStringView pattern, QStringView number);

    Result<Columns> columns();
    // Appends calls, at most RowsPerStatement, in one statement, every value bound.
    Result<void> append(const QList<Call> &calls);
    // The calls of day in log order, the newest capacity of them, each text cut to the
    // longest a caller-ID line can be, or to textLength where a reader shows less.
    Result<QList<Call>> readDay(QDate day, int capacity, int textLength = -1);
    // Runs query (a rangeQuery) and hands each call whose number matches pattern to each,
    // one row at a time, until each returns false; withNames: the table has a column for
    // callers' names. setQueryTimeout on the connection
    // bounds every statement.
    Result<void> readRange(const Query &query, const std::optional<QString> &pattern,
                           const std::function<bool(const Call &call, bool withNames)> &each);
    // The rows the log holds of each call's row key: one grouped query.
    Result<RowCounts> countRows(const QList<Call> &calls);

    // The longest number, name or mark read from the phonebook; the rest is left with the
    // driver, so that what another program wrote cannot take all the memory.
    static constexpr qsizetype LongestContactText = 1024;
    // Every entry of the phonebook in the order the data source gives them, the name
    // rules among them (told by their mark); none when the table is missing.
    Result<QList<Contact>> readPhonebook();
    // One edit of the phonebook, all of it or none: the entries whose number (as stored) is
    // a key of renamed get its name, and added are appended. The table is made first when
    // it is missing.
    struct PhonebookChanges
    {
        QList<Contact> added;
        QHash<QString, QString> renamed;
    };
    Result<void> changePhonebook(const PhonebookChanges &changes);
    // Appends contact; where its number (as stored) has only a mark, that entry gets the
    // name instead, so a number stays one entry.
    Result<void> addContact(const Contact &contact);
    // The entries removed, their marks with them: those whose number is exactly number as
    // stored (never a name rule).
    Result<qint64> removeContact(const QString &number);
    // Gives the entries whose number is exactly number as stored the mark "allow" or
    // "block", adding an entry without a name where there is none; an empty mark clears
    // it, and an entry left with neither name nor mark is removed.
    Result<void> markNumber(const QString &number, const QString &mark);
    // A rule on the name the line sends ("SPAM*"), stored once: a rule already there in
    // other capitals is left as it is. removeNameRule gives the rules it removed, compared
    // without regard to case.
    Result<void> addNameRule(const QString &rule);
    Result<qint64> removeNameRule(const QString &rule);

private:
    // A text column as the select list names it: on SQLite in hexadecimal, since its driver
    // hands text over only up to the first NUL character (and blobs as text when it streams).
    QString wholeText(const QString &column) const;
    // statement ("select * ...") naming the table's columns, its texts read whole; the
    // statement itself where that is not needed (then the texts come as they are).
    QString readingWhole(const QString &statement);
    // The name rules stored that are rule in other capitals, each writing once; throws.
    QList<QString> nameRulesLike(const QString &rule);
    // What the first column holds for a call: its day number, or its stamp as the user
    // writes it.
    QVariant storedWhen(const Columns &columns, const Call &call) const;

    db::Connection &m_connection;
    std::optional<Columns> m_columns;
};

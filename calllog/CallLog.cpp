#include "calllog/CallLog.h"

#include "calllog/CallerIdDecoder.h"
#include "locale/DateServices.h"
#include "locale/LocaleSupport.h"
#include "locale/Nls.h"
#include "text/ControlChars.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>

namespace {

constexpr QChar kStar = u'*';
constexpr QChar kEscape = u'!'; // not a backslash: its meaning in string literals varies

// A column name as the source gave it, quoted so that it reaches the statement unchanged.
QString quotedName(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

bool named(const QString &column, const char *name)
{
    return column.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

// Where the table has a column added to the first two ("name", "action"); -1 when none.
int addedColumn(db::Recordset &recordset, const char *name)
{
    for (int i = 2; i < recordset.FieldCount(); ++i) {
        if (named(recordset.Fields(short(i)).Name(), name))
            return i;
    }
    return -1;
}

int nameColumn(db::Recordset &recordset)
{
    return addedColumn(recordset, "name");
}

bool onlyStars(QStringView pattern)
{
    for (const QChar c : pattern) {
        if (c != kStar)
            return false;
    }
    return !pattern.isEmpty();
}

QString textOf(const QVariant &value, bool hex = false)
{
    if (value.isNull())
        return QString();
    if (!hex)
        return value.toString();
    const QString text = QString::fromUtf8(QByteArray::fromHex(value.toString().toLatin1()));
    return text.isEmpty() ? QStringLiteral("") : text;
}

// The table opened to append: its columns without reading a row.
template <class Work>
auto withTable(db::Connection &connection, Work &&work)
{
    db::Recordset table;
    table.Open(QStringLiteral("IDList"), connection, db::CursorType::ForwardOnly,
               db::LockType::Optimistic, db::CommandOption::Table);
    return work(table);
}

} // namespace

QPair<double, QString> rowKey(const Call &call)
{
    const QTime time = call.when.time();
    return {CallLog::dayNumber(
                dates::makeDateTime(call.when.date(), QTime(time.hour(), time.minute()))),
            call.number};
}

QList<quint64> storedDespiteDoubt(const QList<SpooledCall> &calls, const RowCounts &before,
                                  const RowCounts &after)
{
    RowCounts held;
    for (const SpooledCall &call : calls)
        ++held[rowKey(call.call)];
    QList<quint64> stored;
    for (const SpooledCall &call : calls) {
        const QPair<double, QString> key = rowKey(call.call);
        if (after.value(key) - before.value(key) >= held.value(key))
            stored << call.id;
    }
    return stored;
}

CallLog::CallLog(db::Connection &connection) : m_connection(connection) {}

Result<void> CallLog::create(db::Connection &connection, Layout layout)
{
    return tryResult([&] {
        // Unquoted names: "IDList" and the day query's "idlist" fold to one table everywhere.
        connection.Execute(layout == Layout::Current
                               ? QStringLiteral("CREATE TABLE IF NOT EXISTS IDList "
                                                "(datetime DOUBLE PRECISION, number TEXT, "
                                                "name TEXT, action TEXT)")
                               : QStringLiteral("CREATE TABLE IF NOT EXISTS IDList "
                                                "(datetime DOUBLE PRECISION, number TEXT)"));
        connection.Execute(
            QStringLiteral("CREATE INDEX IF NOT EXISTS IDList_datetime ON IDList (datetime)"));
    });
}

Result<void> CallLog::createPhonebook(db::Connection &connection)
{
    return tryResult([&] {
        // mark: NULL until entries can be marked to allow or block.
        connection.Execute(QStringLiteral(
            "CREATE TABLE IF NOT EXISTS Phonebook (number TEXT, name TEXT, mark TEXT)"));
    });
}

bool CallLog::isMissingTable(const Failure &failure)
{
    const QString &state = failure.sqlState();
    if (state == u"42S02" || state == u"42P01")
        return true;
    // The SQLite driver reports SQLite's generic error with the sentence as its only hint.
    return failure.source() == u"SQLite" && (failure.nativeError() & 0xff) == 1 &&
           failure.description().contains(QLatin1String("no such table"));
}

Result<bool> CallLog::addNameColumn(db::Connection &connection)
{
    return tryResult([&] {
        // Asked of the table itself: SQLite knows no ADD COLUMN IF NOT EXISTS.
        if (withTable(connection, [](db::Recordset &table) { return nameColumn(table) >= 0; }))
            return false;
        connection.Execute(QStringLiteral("ALTER TABLE IDList ADD COLUMN name TEXT"));
        return true;
    });
}

Result<QStringList> CallLog::addColumns(db::Connection &connection)
{
    return tryResult([&] {
        QStringList added;
        for (const char *column : {"name", "action"}) {
            if (withTable(connection, [&](db::Recordset &table) {
                    return addedColumn(table, column) >= 0;
                }))
                continue;
            connection.Execute(QStringLiteral("ALTER TABLE IDList ADD COLUMN %1 TEXT")
                                   .arg(QLatin1String(column)));
            added << QLatin1String(column);
        }
        return added;
    });
}

double CallLog::dayNumber(const QDateTime &when)
{
    return dates::toDayNumber(when);
}

qint64 CallLog::dayNumber(QDate day)
{
    return dates::toDayNumber(day);
}

QDateTime CallLog::dateTimeOf(double dayNumber)
{
    return dates::fromDayNumber(dayNumber);
}

QDateTime CallLog::dateTimeOf(const QVariant &stored)
{
    if (stored.isNull())
        return {};
    if (stored.typeId() == QMetaType::QDateTime)
        return stored.toDateTime();
    if (stored.typeId() == QMetaType::QString) {
        const std::optional<QDateTime> stamp = dates::parseCallStamp(stored.toString());
        return stamp ? *stamp : QDateTime();
    }
    bool ok = false;
    const double number = stored.toDouble(&ok);
    return ok ? dateTimeOf(number) : QDateTime();
}

bool CallLog::isBlockedAction(const QVariant &stored, bool hex)
{
    // Other programs may write it in capitals or padded.
    return textOf(stored, hex).trimmed().compare(BlockedAction, Qt::CaseInsensitive) == 0;
}

CallLog::RowColumns CallLog::rowColumns(db::Recordset &recordset)
{
    RowColumns columns{-1, -1, -1};
    const int count = recordset.FieldCount();
    for (int i = 0; i < count; ++i) {
        const QString name = recordset.Fields(short(i)).Name();
        if (named(name, "datetime") && columns.when < 0)
            columns.when = i;
        else if (named(name, "number") && columns.number < 0)
            columns.number = i;
    }
    columns.name = nameColumn(recordset);
    columns.action = addedColumn(recordset, "action");
    if (columns.when < 0)
        columns.when = count > 0 ? 0 : -1;
    if (columns.number < 0 && count > 1 && columns.when != 1 && columns.name != 1)
        columns.number = 1;
    return columns;
}

Call CallLog::callAt(db::Recordset &recordset, const RowColumns &columns)
{
    Call call;
    if (columns.when >= 0)
        call.when = dateTimeOf(recordset.Fields(short(columns.when)).Value());
    if (columns.number >= 0)
        call.number = textOf(recordset.Fields(short(columns.number)).Value(), columns.hexTexts);
    if (columns.name >= 0)
        call.name = textOf(recordset.Fields(short(columns.name)).Value(), columns.hexTexts);
    if (columns.action >= 0)
        call.blocked = isBlockedAction(recordset.Fields(short(columns.action)).Value(),
                                       columns.hexTexts);
    return call;
}

QString CallLog::dayQuery(QDate day)
{
    const qint64 number = dayNumber(day);
    return QStringLiteral("select * from idlist where datetime>=") + QString::number(number) +
           QStringLiteral(" and datetime<") + QString::number(number + 1);
}

CallLog::Query CallLog::rangeQuery(QDate from, QDate to, const std::optional<QString> &pattern,
                                   Binding binding)
{
    const QString staging = QStringLiteral("temp.ringvane_calls_query");
    const char *const stagedColumns[] = {"day_from", "day_after", "number"};
    QVariantList values;
    // The operand that gives the next value: a marker, or the staged table's column.
    auto value = [&](const QVariant &v) {
        values << v;
        if (binding == Binding::Direct)
            return QStringLiteral("?");
        return QStringLiteral("(SELECT %1 FROM %2)")
            .arg(QLatin1String(stagedColumns[values.size() - 1]), staging);
    };

    // One value per statement: the operands of + are evaluated in no fixed order.
    QString select = QStringLiteral("SELECT * FROM idlist WHERE datetime>=");
    select += value(double(dayNumber(from)));
    select += QStringLiteral(" AND datetime<");
    select += value(double(dayNumber(to) + 1));
    if (pattern && !onlyStars(*pattern)) {
        if (pattern->isEmpty()) {
            // The list shows a missing number as an empty one; so does the search.
            select += QStringLiteral(" AND (number=") + value(QStringLiteral("")) +
                      QStringLiteral(" OR number IS NULL)");
        } else if (pattern->contains(kStar)) {
            select += QStringLiteral(" AND number LIKE ") + value(likePattern(*pattern)) +
                      QStringLiteral(" ESCAPE '!'");
        } else {
            select += QStringLiteral(" AND number=") + value(*pattern);
        }
    }
    select += QStringLiteral(" ORDER BY datetime");

    Query query;
    if (binding == Binding::Direct) {
        query.select = {select, values};
        return query;
    }
    values.resize(3); // a column without a value is NULL
    query.preparation = {
        {QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS ringvane_calls_query "
                        "(day_from DOUBLE PRECISION, day_after DOUBLE PRECISION, number TEXT)"),
         {}},
        {QStringLiteral("DELETE FROM ") + staging, {}},
        {QStringLiteral("INSERT INTO ") + staging + QStringLiteral(" VALUES (?, ?, ?)"), values},
    };
    query.select = {select, {}};
    return query;
}

QString CallLog::likePattern(QStringView pattern)
{
    QString like;
    like.reserve(pattern.size() * 2);
    for (const QChar c : pattern) {
        if (c == kStar) {
            like += u'%';
            continue;
        }
        if (c == u'%' || c == u'_' || c == kEscape)
            like += kEscape;
        like += c;
    }
    return like;
}

bool CallLog::numberMatches(QStringView pattern, QStringView number)
{
    // Greedy with one backtrack point: the latest star takes one more character each
    // time the rest fails to match.
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype star = -1;
    qsizetype resume = 0;
    while (n < number.size()) {
        if (p < pattern.size() && pattern[p] == kStar) {
            star = p++;
            resume = n;
        } else if (p < pattern.size() && pattern[p] == number[n]) {
            ++p;
            ++n;
        } else if (star >= 0) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == kStar)
        ++p;
    return p == pattern.size();
}

Result<void> CallLog::readRange(const Query &query, const std::optional<QString> &pattern,
                                const std::function<bool(const Call &call, bool withNames)> &each)
{
    return tryResult([&] {
        for (const Statement &statement : query.preparation)
            m_connection.Execute(statement.sql, statement.parameters);
        db::Recordset rows;
        const QString select = readingWhole(query.select.sql);
        rows.Open(select, m_connection, db::CursorType::ForwardOnly, db::LockType::ReadOnly,
                  db::CommandOption::Text, query.select.parameters);
        RowColumns columns = rowColumns(rows);
        columns.hexTexts = select != query.select.sql;
        for (; !rows.Eof(); rows.MoveNext()) {
            // The number first: most rows of a pattern's range are passed over.
            const QString number =
                columns.number >= 0
                    ? textOf(rows.Fields(short(columns.number)).Value(), columns.hexTexts)
                    : QString();
            if (pattern && !numberMatches(*pattern, number))
                continue;
            Call call =
                callAt(rows, {columns.when, -1, columns.name, columns.hexTexts, columns.action});
            call.number = number;
            if (!each(call, columns.name >= 0))
                return;
        }
    });
}

Result<CallLog::Columns> CallLog::columns()
{
    if (m_columns)
        return *m_columns;
    Result<Columns> found = tryResult([&] {
        return withTable(m_connection, [](db::Recordset &table) {
            Columns columns;
            const QString first = table.Fields(0).Name();
            columns.dayNumbers = named(first, "datetime");
            columns.when = quotedName(first);
            columns.number = quotedName(table.Fields(1).Name());
            columns.names = columns.when + QLatin1Char(',') + columns.number;
            const int name = nameColumn(table);
            columns.withName = name >= 0;
            if (columns.withName) {
                columns.name = quotedName(table.Fields(short(name)).Name());
                columns.names += QLatin1Char(',') + columns.name;
            }
            const int action = addedColumn(table, "action");
            columns.withAction = action >= 0;
            if (columns.withAction) {
                columns.action = quotedName(table.Fields(short(action)).Name());
                columns.names += QLatin1Char(',') + columns.action;
            }
            return columns;
        });
    });
    if (found)
        m_columns = *found;
    return found;
}

Result<void> CallLog::append(const QList<Call> &calls)
{
    const Result<Columns> found = columns();
    if (!found)
        return found.failure();
    const Columns &columns = *found;
    // psqlODBC would cut such a text at the NUL without a word; PostgreSQL's own answer to
    // the character is this refusal, so the row is set aside like any other it refuses.
    if (m_connection.dbmsName() == QLatin1String("PostgreSQL")) {
        for (const Call &call : calls) {
            if (call.number.contains(QChar(ascii::NUL)) || call.name.contains(QChar(ascii::NUL)))
                return Failure(db::GeneralFailure,
                               QStringLiteral("invalid byte sequence for encoding \"UTF8\": 0x00"),
                               QStringLiteral("PostgreSQL"), QStringLiteral("22021"), 0);
        }
    }
    const int perRow = 2 + int(columns.withName) + int(columns.withAction);
    const QString row = QLatin1Char('(') + QStringList(perRow, QStringLiteral("?")).join(u',') +
                        QLatin1Char(')');
    QString sql = QStringLiteral("INSERT INTO IDList (") + columns.names + QStringLiteral(") VALUES ");
    QVariantList values;
    values.reserve(perRow * calls.size());
    for (qsizetype i = 0; i < calls.size(); ++i) {
        const Call &call = calls.at(i);
        if (i > 0)
            sql += QLatin1Char(',');
        sql += row;
        values << storedWhen(columns, call) << call.number;
        if (columns.withName)
            values << (call.name.isEmpty() ? QVariant() : QVariant(call.name));
        if (columns.withAction)
            values << (call.blocked ? QVariant(QString(BlockedAction)) : QVariant());
    }
    return tryResult([&] { m_connection.Execute(sql, values); });
}

Result<QList<Call>> CallLog::readDay(QDate day, int capacity, int textLength)
{
    const qsizetype cut = textLength < 0
                              ? CallerIdDecoder::MaxLineLength
                              : std::min<qsizetype>(textLength, CallerIdDecoder::MaxLineLength);
    return tryResult([&] {
        db::Recordset rows;
        const QString query = dayQuery(day);
        const QString select = readingWhole(query);
        // A huge value another program wrote is cut at the driver, not read whole (in
        // hexadecimal, two digits for each of up to four bytes a character).
        rows.setMaxTextLength(CallerIdDecoder::MaxLineLength * (select == query ? 1 : 8));
        rows.Open(select, m_connection, db::CursorType::ForwardOnly, db::LockType::ReadOnly,
                  db::CommandOption::Text);
        RowColumns columns = rowColumns(rows);
        columns.hexTexts = select != query;
        // A day fuller than capacity keeps its newest calls: the whole day is read into a
        // ring of capacity calls, each next row taking the oldest one's place.
        QList<Call> calls;
        qsizetype oldest = 0;
        for (; capacity > 0 && !rows.Eof(); rows.MoveNext()) {
            Call call = callAt(rows, columns);
            call.number.truncate(cut);
            call.name.truncate(cut);
            if (calls.size() < capacity) {
                calls.append(std::move(call));
            } else {
                calls[oldest] = std::move(call);
                oldest = (oldest + 1) % capacity;
            }
        }
        std::rotate(calls.begin(), calls.begin() + oldest, calls.end());
        return calls;
    });
}

QString CallLog::wholeText(const QString &column) const
{
    if (m_connection.dbmsName() != QLatin1String("SQLite"))
        return column;
    return QStringLiteral("CASE WHEN %1 IS NULL THEN NULL ELSE hex(%1) END AS %1").arg(column);
}

QString CallLog::readingWhole(const QString &statement)
{
    const QLatin1StringView all("select * ");
    if (!statement.startsWith(all, Qt::CaseInsensitive) ||
        m_connection.dbmsName() != QLatin1String("SQLite"))
        return statement;
    const Result<Columns> found = columns();
    if (!found)
        return statement;
    QString list = found->when + QStringLiteral(", ") + wholeText(found->number);
    if (found->withName)
        list += QStringLiteral(", ") + wholeText(found->name);
    if (found->withAction)
        list += QStringLiteral(", ") + wholeText(found->action);
    return QStringLiteral("SELECT ") + list + QLatin1Char(' ') + statement.mid(all.size());
}

QVariant CallLog::storedWhen(const Columns &columns, const Call &call) const
{
    if (columns.dayNumbers)
        return rowKey(call).first;
    // A first column other than the day number holds the stamp as the user writes it.
    return dates::formatCallStamp(call.when, GetLocaleString(LOCALE_SDATE),
                                  GetLocaleString(LOCALE_STIME));
}

Result<RowCounts> CallLog::countRows(const QList<Call> &calls)
{
    const Result<Columns> found = columns();
    if (!found)
        return found.failure();
    const Columns &columns = *found;
    // One grouped query for the batch, every value bound.
    QVariantList whens;
    QStringList numbers;
    for (const Call &call : calls) {
        const QVariant when = storedWhen(columns, call);
        if (!whens.contains(when))
            whens << when;
        if (!numbers.contains(call.number))
            numbers << call.number;
    }
    QVariantList parameters = whens;
    for (const QString &number : std::as_const(numbers))
        parameters << number;
    auto marks = [](qsizetype n) { return QStringList(n, QStringLiteral("?")).join(QLatin1Char(',')); };
    // "+ 0" reads a day number as a double whatever type the driver gives the column.
    const QString when = columns.dayNumbers ? columns.when + QStringLiteral(" + 0") : columns.when;
    return tryResult([&] {
        db::Recordset rows;
        rows.Open(QStringLiteral("SELECT %1, %6, count(*) FROM IDList WHERE %3 IN (%4) AND %2 IN "
                                 "(%5) GROUP BY %3, %2")
                      .arg(when, columns.number, columns.when, marks(whens.size()),
                           marks(numbers.size()), wholeText(columns.number)),
                  m_connection, db::CursorType::ForwardOnly, db::LockType::ReadOnly,
                  db::CommandOption::Text, parameters);
        RowCounts counts;
        for (; !rows.Eof(); rows.MoveNext()) {
            // Through the date-time, as the keys were made: the SQLite driver hands a double
            // over in 15 digits, which is not the double stored.
            const Call row{
                dateTimeOf(rows.Fields(0).Value()),
                textOf(rows.Fields(1).Value(), wholeText(columns.number) != columns.number),
                {}};
            counts[rowKey(row)] += rows.Fields(2).Value().toLongLong();
        }
        return counts;
    });
}

Result<QList<Contact>> CallLog::readPhonebook()
{
    const bool hex = wholeText(QStringLiteral("number")) != QStringLiteral("number");
    Result<QList<Contact>> read = tryResult([&] {
        db::Recordset rows;
        rows.setMaxTextLength(int(LongestContactText) * (hex ? 8 : 1));
        rows.Open(QStringLiteral("SELECT %1, %2, %3 FROM Phonebook")
                      .arg(wholeText(QStringLiteral("number")), wholeText(QStringLiteral("name")),
                           wholeText(QStringLiteral("mark"))),
                  m_connection, db::CursorType::ForwardOnly, db::LockType::ReadOnly,
                  db::CommandOption::Text);
        QList<Contact> contacts;
        for (; !rows.Eof(); rows.MoveNext()) {
            Contact contact{textOf(rows.Fields(0).Value(), hex), textOf(rows.Fields(1).Value(), hex),
                            textOf(rows.Fields(2).Value(), hex)};
            for (QString *text : {&contact.number, &contact.name, &contact.mark})
                text->truncate(LongestContactText);
            contacts.append(std::move(contact));
        }
        return contacts;
    });
    if (!read && isMissingTable(read.failure()))
        return QList<Contact>();
    return read;
}

namespace {

// The mark of a rule on the name the line sends; such a row is no entry of a number.
const QLatin1StringView kNameRuleMark("block-name");
// Rows that are not name rules, for statements that address entries by their number.
const QLatin1StringView kNotARule("(mark IS NULL OR mark <> 'block-name')");

// work as one transaction on connection: all it writes is stored, or none of it.
template <class Work>
auto inOneTransaction(db::Connection &connection, Work &work) -> decltype(work())
{
    connection.BeginTrans();
    try {
        if constexpr (std::is_void_v<decltype(work())>) {
            work();
            connection.CommitTrans();
        } else {
            auto result = work();
            connection.CommitTrans();
            return result;
        }
    } catch (const Failure &) {
        try {
            connection.RollbackTrans();
        } catch (const Failure &) {
            // The first failure is the one to report; a transaction that cannot be
            // rolled back is dropped with its connection, storing nothing.
        }
        throw;
    }
}

// One edit of the phonebook, in one transaction. Where the table is missing, an edit that
// stores something (makeTable) makes it and runs again; any other has nothing to change
// and gives the empty value.
template <class Work>
auto editPhonebook(db::Connection &connection, Work &&work, bool makeTable)
    -> Result<decltype(work())>
{
    using Value = decltype(work());
    const auto edit = [&] { return inOneTransaction(connection, work); };
    Result<Value> done = tryResult(edit);
    if (done || !CallLog::isMissingTable(done.failure()))
        return done;
    if (!makeTable) {
        if constexpr (std::is_void_v<Value>)
            return {};
        else
            return Value{};
    }
    if (const Result<void> made = CallLog::createPhonebook(connection); !made)
        return made.failure();
    return tryResult(edit);
}

} // namespace

Result<void> CallLog::changePhonebook(const PhonebookChanges &changes)
{
    auto orNull = [](const QString &text) { return text.isNull() ? QVariant() : QVariant(text); };
    return editPhonebook(
        m_connection,
        [&] {
            for (auto it = changes.renamed.cbegin(); it != changes.renamed.cend(); ++it)
                m_connection.Execute(
                    QStringLiteral("UPDATE Phonebook SET name = ? WHERE number = ?"),
                    {it.value(), it.key()});
            for (qsizetype first = 0; first < changes.added.size(); first += RowsPerStatement) {
                const QList<Contact> rows = changes.added.mid(first, RowsPerStatement);
                QString sql = QStringLiteral("INSERT INTO Phonebook (number, name, mark) VALUES ");
                QVariantList values;
                for (qsizetype i = 0; i < rows.size(); ++i) {
                    sql += i == 0 ? QStringLiteral("(?,?,?)") : QStringLiteral(",(?,?,?)");
                    values << rows.at(i).number << rows.at(i).name << orNull(rows.at(i).mark);
                }
                m_connection.Execute(sql, values);
            }
        },
        !changes.added.isEmpty()); // no table: nothing to rename
}

Result<void> CallLog::addContact(const Contact &contact)
{
    if (contact.name.isEmpty() || contact.number.isEmpty())
        return changePhonebook({{contact}, {}});
    return editPhonebook(
        m_connection,
        [&] {
            // A number that is only marked gets the name on its own row: one entry, its
            // mark kept unless the contact brings one.
            QString named = QStringLiteral("UPDATE Phonebook SET name = ?");
            QVariantList values{contact.name};
            if (!contact.mark.isEmpty()) {
                named += QStringLiteral(", mark = ?");
                values << contact.mark;
            }
            named += QStringLiteral(" WHERE number = ? AND (name IS NULL OR name = '') AND ") +
                     kNotARule;
            values << contact.number;
            if (m_connection.Execute(named, values) > 0)
                return;
            m_connection.Execute(
                QStringLiteral("INSERT INTO Phonebook (number, name, mark) VALUES (?,?,?)"),
                {contact.number, contact.name,
                 contact.mark.isNull() ? QVariant() : QVariant(contact.mark)});
        },
        true);
}

Result<qint64> CallLog::removeContact(const QString &number)
{
    Result<qint64> removed = tryResult([&] {
        // A name rule's empty number is no entry's: removing "" leaves the rules alone.
        return m_connection.Execute(
            QStringLiteral("DELETE FROM Phonebook WHERE number = ? AND ") + kNotARule, {number});
    });
    if (!removed && isMissingTable(removed.failure()))
        return qint64(0);
    return removed;
}

Result<void> CallLog::markNumber(const QString &number, const QString &mark)
{
    if (number.isEmpty())
        return Failure(0,
                       QCoreApplication::translate("CallLog", "An entry to mark needs a number."));
    if (!mark.isEmpty() && mark != u"allow" && mark != u"block")
        return Failure(
            0, QCoreApplication::translate("CallLog", "\"%1\" is not a mark: give allow or block.")
                   .arg(mark));
    return editPhonebook(
        m_connection,
        [&] {
            if (mark.isEmpty()) {
                // Without its mark a row without a name would be an empty entry.
                m_connection.Execute(
                    QStringLiteral("DELETE FROM Phonebook WHERE number = ? AND "
                                   "(name IS NULL OR name = '') AND ") +
                        kNotARule,
                    {number});
                m_connection.Execute(
                    QStringLiteral("UPDATE Phonebook SET mark = NULL WHERE number = ? AND ") +
                        kNotARule,
                    {number});
                return;
            }
            if (m_connection.Execute(
                    QStringLiteral("UPDATE Phonebook SET mark = ? WHERE number = ? AND ") +
                        kNotARule,
                    {mark, number}) > 0)
                return;
            m_connection.Execute(
                QStringLiteral("INSERT INTO Phonebook (number, name, mark) VALUES (?, '', ?)"),
                {number, mark});
        },
        !mark.isEmpty()); // no table: no mark to clear
}

QList<QString> CallLog::nameRulesLike(const QString &rule)
{
    const bool hex = wholeText(QStringLiteral("name")) != QStringLiteral("name");
    db::Recordset rows;
    rows.setMaxTextLength(int(LongestContactText) * (hex ? 8 : 1));
    rows.Open(QStringLiteral("SELECT %1 FROM Phonebook WHERE mark = '%2'")
                  .arg(wholeText(QStringLiteral("name")), kNameRuleMark),
              m_connection, db::CursorType::ForwardOnly, db::LockType::ReadOnly,
              db::CommandOption::Text);
    QStringList like;
    for (; !rows.Eof(); rows.MoveNext()) {
        const QString stored = textOf(rows.Fields(0).Value(), hex);
        // Compared here, not by the data source: SQLite folds only ASCII letters.
        if (stored.compare(rule, Qt::CaseInsensitive) == 0 && !like.contains(stored))
            like << stored;
    }
    return like;
}

Result<void> CallLog::addNameRule(const QString &rule)
{
    if (rule.isEmpty())
        return Failure(0, QCoreApplication::translate("CallLog", "A name rule needs a text."));
    return editPhonebook(
        m_connection,
        [&] {
            if (!nameRulesLike(rule).isEmpty())
                return;
            m_connection.Execute(
                QStringLiteral("INSERT INTO Phonebook (number, name, mark) VALUES ('', ?, '%1')")
                    .arg(kNameRuleMark),
                {rule});
        },
        true);
}

Result<qint64> CallLog::removeNameRule(const QString &rule)
{
    return editPhonebook(
        m_connection,
        [&] {
            qint64 removed = 0;
            for (const QString &stored : nameRulesLike(rule))
                removed += std::max<qint64>(
                    m_connection.Execute(QStringLiteral("DELETE FROM Phonebook WHERE mark = "
                                                        "'%1' AND name = ?")
                                             .arg(kNameRuleMark),
                                         {stored}),
                    0);
            return removed;
        },
        false);
}

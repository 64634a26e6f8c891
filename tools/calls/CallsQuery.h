#pragma once

#include <QDate>
#include <QString>
#include <QStringView>
#include <QVariantList>

#include <optional>

// What ringvane-calls asks the call log: whole days, both ends included, and optionally
// a number pattern, as one statement whose values are all bound parameters.
namespace calls {

struct Selection
{
    QDate from;
    QDate to;
    // Exact, case-sensitive text in which '*' stands for any text; nullopt lists every call.
    std::optional<QString> number;
};

struct Statement
{
    QString sql;
    QVariantList parameters;
};

// How the values reach the query. Direct: as its parameters. Staged: through a bound
// INSERT into a temporary table that the query reads, for the SQLite driver, which hands
// over rows as they are read (StepAPI) only for statements without parameters.
enum class Binding { Direct, Staged };

struct Query
{
    QList<Statement> preparation; // run first, in order, on the same connection
    Statement select;
};

// "SELECT * FROM idlist WHERE datetime>=S AND datetime<E" (the first day's number and the
// day number after the last), a condition on the number column where the pattern needs
// one, oldest call first.
Query callQuery(const Selection &selection, Binding binding);

// The pattern as the operand of LIKE ... ESCAPE '!': '*' becomes '%', and LIKE's own
// '%', '_' and the escape character '!' match only themselves.
QString likePattern(QStringView pattern);

// Whether number is exactly pattern, '*' matching any text (none included). The data
// source's LIKE may ignore case (SQLite's does, for ASCII); this is the final word.
bool numberMatches(QStringView pattern, QStringView number);

} // namespace calls

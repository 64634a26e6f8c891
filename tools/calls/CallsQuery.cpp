#include "tools/calls/CallsQuery.h"

#include "locale/DateServices.h"

namespace calls {

namespace {

constexpr QChar kStar = u'*';
constexpr QChar kEscape = u'!'; // not a backslash: its meaning in string literals varies

bool onlyStars(QStringView pattern)
{
    for (const QChar c : pattern) {
        if (c != kStar)
            return false;
    }
    return !pattern.isEmpty();
}

} // namespace

Query callQuery(const Selection &selection, Binding binding)
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
    select += value(double(dates::toDayNumber(selection.from)));
    select += QStringLiteral(" AND datetime<");
    select += value(double(dates::toDayNumber(selection.to) + 1));
    if (selection.number && !onlyStars(*selection.number)) {
        const QString &pattern = *selection.number;
        if (pattern.isEmpty()) {
            // The list shows a missing number as an empty one; so does the search.
            select += QStringLiteral(" AND (number=") + value(QStringLiteral("")) +
                      QStringLiteral(" OR number IS NULL)");
        } else if (pattern.contains(kStar)) {
            select += QStringLiteral(" AND number LIKE ") + value(likePattern(pattern)) +
                      QStringLiteral(" ESCAPE '!'");
        } else {
            select += QStringLiteral(" AND number=") + value(pattern);
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

QString likePattern(QStringView pattern)
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

bool numberMatches(QStringView pattern, QStringView number)
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

} // namespace calls

#pragma once

#include "calllog/CallLog.h"

#include <QDate>
#include <QString>
#include <QStringView>

#include <optional>

// What ringvane-calls asks the call log: whole days, both ends included, and optionally
// a number pattern; the statements themselves are the call log's (CallLog::rangeQuery).
namespace calls {

struct Selection
{
    QDate from;
    QDate to;
    // Exact, case-sensitive text in which '*' stands for any text; nullopt lists every call.
    std::optional<QString> number;
};

using Statement = CallLog::Statement;
using Binding = CallLog::Binding;
using Query = CallLog::Query;

inline Query callQuery(const Selection &selection, Binding binding)
{
    return CallLog::rangeQuery(selection.from, selection.to, selection.number, binding);
}

inline bool numberMatches(QStringView pattern, QStringView number)
{
    return CallLog::numberMatches(pattern, number);
}

} // namespace calls

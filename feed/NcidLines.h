#pragma once

#include "calllog/Call.h"

#include <QByteArray>

// The lines of the NCID client protocol that carry calls. Caller text comes from the
// telephone line, so every value is made safe for a protocol that splits on '*' and
// ends lines with LF.
namespace NcidLines {

enum class Kind {
    Live, // "CID:" -- a call as it happens
    Log,  // "CIDLOG:" -- a call from today's log, sent at connect
};

// One complete line, LF included. A call the line was hung up on is "HUP:" live and
// "HUPLOG:" from the log, with the same fields, so that clients show it as hung up.
QByteArray callLine(Kind kind, const Call &call);

// A value as it may stand between two '*': no '*', no line end or other control
// character, and no longer than a client can be expected to show.
QString fieldValue(const QString &text);

inline constexpr int MaxFieldLength = 200;

} // namespace NcidLines

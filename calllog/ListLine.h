#pragma once

#include "calllog/CallerIdDecoder.h"

#include <QString>

// The call-list line: "000." (the point being decimalSep), "[", date, " ", time, "] ", number.
QString listLine(int listNumber, const QString &decimalSep, const QString &date,
                 const QString &time, const QString &number);

// The tip-line text of a call: "[", date, " ", time, "] ", number.
QString callTip(const DecodedCall &call);

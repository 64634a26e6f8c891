#pragma once

#include <QString>

// The tooltip of a call's list line: the caller's name, and whether the call still waits
// for the call log. Qt reads a tooltip that looks like markup as rich text, and the name
// comes from the telephone line, so a name is always shown escaped, on a line of its own.
// A waiting call without a name keeps the plain "Not yet saved in the call log".
QString callToolTip(const QString &name, bool waiting);

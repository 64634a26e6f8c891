#pragma once

#include "callers/CallerBook.h"

#include <QString>

// The tooltip of a call's list line: who is calling, and whether the call still waits for
// the call log. Qt reads a tooltip that looks like markup as rich text, and names come from
// the telephone line and the phonebook, so every text is shown escaped, on a line of its own.
// With a contact: its name, the line's own name under it when that differs, and the number
// as the user's country writes it. Without one, the line's name; and for a caller nobody
// named, the number and where it is from when that is known. A waiting call with nothing
// else to say keeps the plain "Not yet saved in the call log".
QString callToolTip(const QString &name, bool waiting, const CallerBook::Caller &caller = {});

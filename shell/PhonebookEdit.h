#pragma once

#include "calllog/CallLog.h"
#include "failure/Result.h"

#include <QList>
#include <QString>

class PhoneNumbers;

// What the call list's context menu does to the phonebook, without the window: which
// entries the menu offers for a call, and the edits themselves, each made through CallLog on
// a connection of its own. A call's number finds its entry the way numbers match, so that
// "Change name…" on a call from 02079460958 renames the entry saved as +44 20 7946 0958.
namespace phonebookedit {

enum class Action { Name, Rename, Remove, Block, Allow, Unmark };

// contact: the phonebook's name for the call's number, empty when none; mark: the mark of
// the entry it falls under.
QList<Action> menuActions(const QString &contact, const QString &mark = {});
QString actionText(Action action);

// number gets name: the exact entries it matches are renamed, or an entry is added (one that
// wins over any range it falls under).
Result<void> save(CallLog &log, const PhoneNumbers &numbers, const QString &number,
                  const QString &name);
// The entry number falls under is removed, range or not; the entries removed.
Result<qint64> remove(CallLog &log, const PhoneNumbers &numbers, const QString &number);

// number goes on the block or allow list (mark "block" or "allow"): the exact entry it
// matches gets the mark, else an entry of its own (which wins over any range); an empty
// mark takes the entry it falls under, range or not, off both lists.
Result<void> mark(CallLog &log, const PhoneNumbers &numbers, const QString &number,
                  const QString &mark);

// The same, each on a connection opened for it to the call-log source.
Result<void> markInCallLog(const QString &region, const QString &number, const QString &mark);
Result<void> saveToCallLog(const QString &region, const QString &number, const QString &name);
Result<qint64> removeFromCallLog(const QString &region, const QString &number);

} // namespace phonebookedit

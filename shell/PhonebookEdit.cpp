#include "shell/PhonebookEdit.h"

#include "callers/NumberDirectory.h"
#include "callers/PhoneNumbers.h"
#include "calllog/TAPI.h"
#include "failure/Failure.h"

#include <QCoreApplication>

#include <memory>

namespace phonebookedit {

namespace {

// The stored number of the entry number falls under: the entries are their own values.
Result<QString> storedEntry(CallLog &log, const PhoneNumbers &numbers, const QString &number,
                            bool rangesToo)
{
    const Result<QList<Contact>> contacts = log.readPhonebook();
    if (!contacts)
        return contacts.failure();
    NumberDirectory directory(numbers);
    for (const Contact &contact : *contacts) {
        if (contact.number.trimmed().isEmpty())
            continue; // a rule on names
        if (rangesToo || !contact.number.trimmed().endsWith(QLatin1Char('*')))
            directory.add(contact.number, contact.name, contact.mark);
    }
    const NumberDirectory::Listing *found = directory.find(number);
    return found ? found->written : QString();
}

// A connection of its own to the call-log source, opened on the calling thread.
Result<std::unique_ptr<db::Connection>> openCallLog()
{
    return tryResult([] {
        std::unique_ptr<db::Connection> connection = TAPI::newConnection();
        connection->Open(TAPI::callLogSource(), QString(), QString(), -1);
        return connection;
    });
}

} // namespace

QList<Action> menuActions(const QString &contact, const QString &mark)
{
    QList<Action> actions;
    if (contact.isEmpty())
        actions = {Action::Name};
    else
        actions = {Action::Rename, Action::Remove};
    if (mark != u"block")
        actions << Action::Block;
    if (mark != u"allow")
        actions << Action::Allow;
    if (!mark.isEmpty())
        actions << Action::Unmark;
    return actions;
}

QString actionText(Action action)
{
    switch (action) {
    case Action::Name:
        return QCoreApplication::translate("PhonebookEdit", "Name this caller…");
    case Action::Rename:
        return QCoreApplication::translate("PhonebookEdit", "Change name…");
    case Action::Remove:
        return QCoreApplication::translate("PhonebookEdit", "Remove from phonebook");
    case Action::Block:
        return QCoreApplication::translate("PhonebookEdit", "Block this number");
    case Action::Allow:
        return QCoreApplication::translate("PhonebookEdit", "Allow this number");
    case Action::Unmark:
        return QCoreApplication::translate("PhonebookEdit", "Remove from the lists");
    }
    return QString();
}

Result<void> save(CallLog &log, const PhoneNumbers &numbers, const QString &number,
                  const QString &name)
{
    const Result<QString> stored = storedEntry(log, numbers, number, false);
    if (!stored)
        return stored.failure();
    if (stored->isEmpty())
        return log.addContact({number.trimmed(), name.trimmed(), QString()});
    return log.changePhonebook({{}, {{*stored, name.trimmed()}}});
}

Result<qint64> remove(CallLog &log, const PhoneNumbers &numbers, const QString &number)
{
    const Result<QString> stored = storedEntry(log, numbers, number, true);
    if (!stored)
        return stored.failure();
    if (stored->isEmpty())
        return qint64(0);
    return log.removeContact(*stored);
}

Result<void> mark(CallLog &log, const PhoneNumbers &numbers, const QString &number,
                  const QString &mark)
{
    const Result<QString> stored = storedEntry(log, numbers, number, mark.isEmpty());
    if (!stored)
        return stored.failure();
    if (stored->isEmpty())
        return mark.isEmpty() ? Result<void>() : log.markNumber(number.trimmed(), mark);
    return log.markNumber(*stored, mark);
}

Result<void> markInCallLog(const QString &region, const QString &number, const QString &mark)
{
    const Result<std::unique_ptr<db::Connection>> connection = openCallLog();
    if (!connection)
        return connection.failure();
    CallLog log(**connection);
    return phonebookedit::mark(log, PhoneNumbers(region), number, mark);
}

Result<void> saveToCallLog(const QString &region, const QString &number, const QString &name)
{
    const Result<std::unique_ptr<db::Connection>> connection = openCallLog();
    if (!connection)
        return connection.failure();
    CallLog log(**connection);
    return save(log, PhoneNumbers(region), number, name);
}

Result<qint64> removeFromCallLog(const QString &region, const QString &number)
{
    const Result<std::unique_ptr<db::Connection>> connection = openCallLog();
    if (!connection)
        return connection.failure();
    CallLog log(**connection);
    return remove(log, PhoneNumbers(region), number);
}

} // namespace phonebookedit

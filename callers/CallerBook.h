#pragma once

#include "callers/CallScreen.h"
#include "callers/CallerShown.h"
#include "callers/NumberDirectory.h"
#include "callers/PhoneNumbers.h"
#include "failure/Result.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QLocale>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>

#include <functional>
#include <optional>
#include <memory>

// The user's phonebook as calls are shown. It is read again from its source every few
// seconds on a thread of its own, so that a contact another program or instance added shows
// on the next call, and it is asked on the window's thread without ever waiting for the
// data source. Until the first read, and while the source cannot be read, callers are shown
// as the line gives them.
class CallerBook : public QObject
{
    Q_OBJECT

public:
    // number as written, name, mark; a "block-name" mark makes the name a name rule
    using Entries = QList<NumberDirectory::Entry>;
    using Source = std::function<Result<Entries>()>;

    // region and language as PhoneNumbers takes them. The source runs on the book's
    // thread, always the same one, one read at a time.
    CallerBook(Source source, const QString &region, const QLocale &language = QLocale(),
               QObject *parent = nullptr);
    ~CallerBook() override;

    // Reads now and then every intervalMs.
    void start(int intervalMs = 5000);

    using Caller = CallerShown;
    // The caller as the phonebook shows it; lineName: the name the line sent, if any (a
    // caller the line names gets no place).
    Caller describe(const QString &number, const QString &lineName) const;

    // Whether the phonebook has been read and its last read succeeded: until then, and
    // while it cannot be read, no call is to be hung up for what it says or lacks.
    bool readable() const { return m_readOnce && !m_saidUnreadable; }
    // What to do with a call, as far as the book and the rules know; lineName: nothing while
    // the line may still send the name.
    Verdict screen(const QString &number, const std::optional<QString> &lineName,
                   const ScreenRules &rules) const;
    // The entry the number falls under: the number as written ("0800*") and its listing;
    // empty when none.
    NumberDirectory::Listing listing(const QString &number) const;

    const PhoneNumbers &numbers() const { return *m_numbers; }

    // The contact's name for a number, askable from any thread and for as long as its
    // holder keeps it (the book may be gone by then: it then finds nothing).
    using ContactFinder = std::function<QString(const QString &number)>;
    ContactFinder contactFinder() const;

Q_SIGNALS:
    // The phonebook could not be read; said once until a read succeeds again.
    void unreadable(const QString &why);
    // A read changed what the book knows.
    void changed();

private:
    void read();
    struct Built;
    void readDone(const Result<void> &read, const QByteArray &digest,
                  std::shared_ptr<const Built> built);

    Source m_source;
    std::shared_ptr<const PhoneNumbers> m_numbers;
    struct Shared;
    std::shared_ptr<Shared> m_shared; // the directory the last read built
    QByteArray m_digest; // of the entries the directory was built from
    QTimer m_timer;
    QThreadPool m_reader;
    bool m_reading = false;
    bool m_readAgain = false;
    bool m_saidUnreadable = false;
    bool m_readOnce = false;
};

#include "callers/CallerBook.h"

#include <QMetaObject>

#include <algorithm>
#include <utility>

namespace {

bool sameEntries(const CallerBook::Entries &a, const CallerBook::Entries &b)
{
    return a.size() == b.size() &&
           std::equal(a.cbegin(), a.cend(), b.cbegin(), [](const auto &x, const auto &y) {
               return x.number == y.number && x.value == y.value;
           });
}

} // namespace

struct CallerBook::Shared
{
    mutable QMutex mutex;
    std::shared_ptr<const NumberDirectory> directory;

    std::shared_ptr<const NumberDirectory> current() const
    {
        const QMutexLocker lock(&mutex);
        return directory;
    }
};

CallerBook::CallerBook(Source source, const QString &region, const QLocale &language,
                       QObject *parent)
    : QObject(parent), m_source(std::move(source)),
      m_numbers(std::make_shared<const PhoneNumbers>(region, language)),
      m_shared(std::make_shared<Shared>())
{
    // One thread that never expires: the source may keep a database connection, which
    // belongs to the thread that opened it.
    m_reader.setMaxThreadCount(1);
    m_reader.setExpiryTimeout(-1);
    connect(&m_timer, &QTimer::timeout, this, &CallerBook::read);
}

CallerBook::~CallerBook()
{
    m_timer.stop();
    // A read under way posts its result to this object; it must end while we exist.
    m_reader.clear();
    m_reader.waitForDone();
}

void CallerBook::start(int intervalMs)
{
    m_timer.start(intervalMs);
    read();
}

void CallerBook::read()
{
    if (!m_source)
        return;
    // A read asked for during another (after an edit, say) follows it: the one under way
    // may have started before the edit was committed.
    if (m_reading) {
        m_readAgain = true;
        return;
    }
    m_reading = true;
    m_reader.start([this, source = m_source, numbers = m_numbers, known = m_entries] {
        Result<Entries> entries = source();
        std::shared_ptr<const NumberDirectory> built;
        // Reducing 100,000 numbers to their keys is the costly part: done here, and only
        // when the phonebook changed.
        if (entries && !sameEntries(*entries, known)) {
            auto directory = std::make_shared<NumberDirectory>(*numbers);
            directory->addAll(*entries);
            built = std::move(directory);
        }
        QMetaObject::invokeMethod(
            this, [this, entries, built] { readDone(entries, built); }, Qt::QueuedConnection);
    });
}

void CallerBook::readDone(const Result<Entries> &entries,
                          std::shared_ptr<const NumberDirectory> built)
{
    m_reading = false;
    if (std::exchange(m_readAgain, false))
        QMetaObject::invokeMethod(this, &CallerBook::read, Qt::QueuedConnection);
    if (!entries) {
        if (!std::exchange(m_saidUnreadable, true))
            Q_EMIT unreadable(entries.errorString());
        return;
    }
    m_saidUnreadable = false;
    if (!built)
        return;
    m_entries = *entries;
    {
        const QMutexLocker lock(&m_shared->mutex);
        m_shared->directory = std::move(built);
    }
    Q_EMIT changed();
}

CallerBook::Caller CallerBook::describe(const QString &number, const QString &lineName) const
{
    Caller caller;
    if (const std::shared_ptr<const NumberDirectory> directory = m_shared->current())
        caller.contact = directory->lookup(number);
    caller.number = m_numbers->formatted(number);
    if (caller.contact.isEmpty() && lineName.isEmpty())
        caller.place = m_numbers->place(number);
    return caller;
}

CallerBook::ContactFinder CallerBook::contactFinder() const
{
    // The directory refers to the book's PhoneNumbers: both are kept alive together.
    return [shared = m_shared, numbers = m_numbers](const QString &number) {
        const std::shared_ptr<const NumberDirectory> directory = shared->current();
        return directory ? directory->lookup(number) : QString();
    };
}

#include "callers/CallerBook.h"

#include <QCryptographicHash>
#include <QMetaObject>

#include <algorithm>
#include <array>
#include <utility>

namespace {

// What a read found, in 32 bytes: keeping the entries themselves to compare the next read
// with would hold a second copy of a large phonebook for as long as the program runs.
QByteArray digestOf(const CallerBook::Entries &entries)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const auto add = [&hash](const QString &text) {
        const qint64 size = text.size(); // so that no two lists of texts read the same
        hash.addData(QByteArrayView(reinterpret_cast<const char *>(&size), sizeof size));
        hash.addData(QByteArrayView(reinterpret_cast<const char *>(text.constData()),
                                    text.size() * qsizetype(sizeof(QChar))));
    };
    for (const NumberDirectory::Entry &entry : entries) {
        add(entry.number);
        add(entry.name);
        add(entry.mark);
    }
    return hash.result();
}

} // namespace

// What one read of the phonebook makes: the numbers' directory and the rules on names.
struct CallerBook::Built
{
    explicit Built(const PhoneNumbers &numbers) : directory(numbers) {}
    NumberDirectory directory;
    NameRules nameRules;

    // The directory's entry for the number, remembered for the last few numbers asked: a
    // call's number is asked for as it is screened, listed, screened again with its name and
    // passed on, and parsing the number is nearly all that a lookup costs.
    const NumberDirectory::Listing *find(const QString &number) const
    {
        {
            const QMutexLocker lock(&memoMutex);
            for (const Remembered &remembered : memo) {
                if (remembered.used && remembered.number == number)
                    return remembered.found;
            }
        }
        const NumberDirectory::Listing *found = directory.find(number);
        const QMutexLocker lock(&memoMutex);
        memo[memoNext] = {number, found, true};
        memoNext = (memoNext + 1) % memo.size();
        return found;
    }

private:
    struct Remembered
    {
        QString number;
        const NumberDirectory::Listing *found = nullptr;
        bool used = false;
    };
    mutable QMutex memoMutex;
    // A burst's calls are all screened before the first is passed on: room for a few.
    mutable std::array<Remembered, 8> memo;
    mutable size_t memoNext = 0;
};

struct CallerBook::Shared
{
    mutable QMutex mutex;
    std::shared_ptr<const Built> built;

    std::shared_ptr<const Built> current() const
    {
        const QMutexLocker lock(&mutex);
        return built;
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
    m_reader.start([this, source = m_source, numbers = m_numbers, known = m_digest] {
        Result<void> read;
        QByteArray digest;
        std::shared_ptr<const Built> built;
        {
            const Result<Entries> entries = source();
            // Reducing 100,000 numbers to their keys is the costly part: done here, and only
            // when the phonebook changed.
            if (entries)
                digest = digestOf(*entries);
            if (entries && digest != known) {
                auto book = std::make_shared<Built>(*numbers);
                Entries numbered;
                numbered.reserve(entries->size());
                QStringList rules;
                for (const NumberDirectory::Entry &entry : std::as_const(*entries)) {
                    if (entry.mark == u"block-name")
                        rules << entry.name;
                    else if (!entry.number.trimmed().isEmpty())
                        numbered << entry;
                }
                book->directory.addAll(numbered);
                book->nameRules = NameRules(rules);
                built = std::move(book);
            }
            if (!entries)
                read = Result<void>(entries.failure());
        } // the list read is gone before the book says it has read
        QMetaObject::invokeMethod(
            this, [this, read, digest, built] { readDone(read, digest, built); },
            Qt::QueuedConnection);
    });
}

void CallerBook::readDone(const Result<void> &read, const QByteArray &digest,
                          std::shared_ptr<const Built> built)
{
    m_reading = false;
    if (std::exchange(m_readAgain, false))
        QMetaObject::invokeMethod(this, &CallerBook::read, Qt::QueuedConnection);
    if (!read) {
        if (!std::exchange(m_saidUnreadable, true))
            Q_EMIT unreadable(read.errorString());
        return;
    }
    m_saidUnreadable = false;
    m_readOnce = true;
    if (!built)
        return;
    m_digest = digest;
    {
        const QMutexLocker lock(&m_shared->mutex);
        m_shared->built = std::move(built);
    }
    Q_EMIT changed();
}

CallerBook::Caller CallerBook::describe(const QString &number, const QString &lineName) const
{
    Caller caller;
    if (const std::shared_ptr<const Built> built = m_shared->current()) {
        if (const NumberDirectory::Listing *found = built->find(number))
            caller.contact = found->name;
    }
    caller.number = m_numbers->formatted(number);
    if (caller.contact.isEmpty() && lineName.isEmpty())
        caller.place = m_numbers->place(number);
    return caller;
}

CallerBook::ContactFinder CallerBook::contactFinder() const
{
    // The directory refers to the book's PhoneNumbers: both are kept alive together.
    return [shared = m_shared, numbers = m_numbers](const QString &number) {
        const std::shared_ptr<const Built> built = shared->current();
        return built ? built->directory.lookup(number) : QString();
    };
}

NumberDirectory::Listing CallerBook::listing(const QString &number) const
{
    const std::shared_ptr<const Built> built = m_shared->current();
    const NumberDirectory::Listing *found = built ? built->find(number) : nullptr;
    return found ? *found : NumberDirectory::Listing();
}

Verdict CallerBook::screen(const QString &number, const std::optional<QString> &lineName,
                           const ScreenRules &rules) const
{
    ScreenFacts facts;
    const std::shared_ptr<const Built> built = m_shared->current();
    if (built) {
        if (const NumberDirectory::Listing *found = built->find(number)) {
            facts.mark = found->mark;
            facts.entry = found->written.trimmed();
            facts.known = !found->name.trimmed().isEmpty();
        }
        facts.nameRulesExist = !built->nameRules.isEmpty();
        if (lineName && facts.nameRulesExist)
            facts.nameRule = built->nameRules.match(*lineName);
    }
    facts.lineName = lineName;
    facts.withheld = isWithheld(number);
    // Asked only when it can matter: it parses the number once more.
    if ((rules.blockInvalid || rules.mode == ScreenRules::Mode::KnownOnly) && !facts.withheld &&
        facts.mark.isEmpty() && !facts.known) {
        const PhoneNumbers::Validity validity = m_numbers->validity(number);
        facts.invalid = validity == PhoneNumbers::Validity::Invalid;
        facts.undecidable = validity == PhoneNumbers::Validity::Undecidable;
    }
    return screenCall(rules, facts);
}

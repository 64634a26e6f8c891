#include "calllog/CallSpool.h"
#include "text/ControlChars.h"

#include "platform/LockedFile.h"
#include "platform/XdgFolders.h"
#include "text/PluralCount.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace {

// More instances than this on one data source is not a setup anybody runs.
constexpr int MaxSlots = 64;
// Damaged stretches of one file told one by one; the rest are counted.
constexpr qsizetype MaxDamageNotes = 10;
// Below this size a file full of stored marks is not worth a rewrite.
constexpr qint64 CompactFrom = 64 * 1024;

// A file of waiting calls this instance does not read, and why.
QString leftAloneNote(const QString &name, const QString &why)
{
    return QCoreApplication::translate("CallSpool", "%1 is left alone, since %2").arg(name, why);
}

QString slotName(const QString &key, int slot)
{
    return slot == 1 ? key + QLatin1String(".spool")
                     : QStringLiteral("%1-%2.spool").arg(key).arg(slot);
}

bool usableKey(const QString &key)
{
    return !key.isEmpty() && key.size() <= 200 && !key.startsWith(QLatin1Char('.')) &&
           !key.contains(QLatin1Char('/')) && !key.contains(QChar(ascii::NUL));
}

// Whether a file name is one of the key's spool files, "KEY.spool" or "KEY-N.spool". Plain
// string work: the spool is opened at every start, and a regular expression here was the
// only one there, paging in the pattern library and its compiler (about 350 KB).
bool isSiblingName(QStringView name, QStringView key)
{
    const QLatin1StringView suffix(".spool");
    if (name.size() < key.size() + suffix.size() || !name.startsWith(key) || !name.endsWith(suffix))
        return false;
    const QStringView slot = name.sliced(key.size(), name.size() - key.size() - suffix.size());
    if (slot.isEmpty())
        return true;
    return slot.size() > 1 && slot.front() == QLatin1Char('-') &&
           std::all_of(slot.begin() + 1, slot.end(),
                       [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

qint64 bytesOf(const QList<spoolrecord::Waiting> &waiting)
{
    qint64 total = 0;
    for (const spoolrecord::Waiting &w : waiting)
        total += w.bytes;
    return total;
}

} // namespace

QString CallSpool::defaultFolder()
{
    return QDir::cleanPath(xdgBaseFolder("XDG_STATE_HOME", ".local/state") +
                           QLatin1String("/ringvane"));
}

QString CallSpool::dataSourceKey(const QString &odbcIniPath, const QString &dsn)
{
    QString path;
    if (!odbcIniPath.isEmpty()) {
        const QFileInfo info(odbcIniPath);
        path = info.canonicalFilePath();
        if (path.isEmpty())
            path = QDir::cleanPath(info.absoluteFilePath());
    }
    const QByteArray hash =
        QCryptographicHash::hash(path.toUtf8() + '\0' + dsn.toUtf8(), QCryptographicHash::Sha256);
    QString name;
    for (const QChar c : dsn.left(48)) {
        const bool safe = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                          (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                          (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                          c == QLatin1Char('_') || c == QLatin1Char('-') ||
                          (c == QLatin1Char('.') && !name.isEmpty());
        name += safe ? c : QLatin1Char('_');
    }
    if (name.isEmpty())
        name = QStringLiteral("dsn");
    return name + QLatin1Char('-') + QString::fromLatin1(hash.left(4).toHex());
}

Result<std::unique_ptr<CallSpool>> CallSpool::open(const QString &folder,
                                                   const QString &dataSourceKey)
{
    if (!usableKey(dataSourceKey))
        return Failure(0, QCoreApplication::translate("CallSpool",
                                                      "\"%1\" cannot name a file of waiting calls")
                              .arg(dataSourceKey));
    if (const Result<void> made = LockedFile::makeOwnFolder(folder); !made)
        return Failure(0, QCoreApplication::translate(
                              "CallSpool", "Waiting calls cannot be kept in the folder %1: %2")
                              .arg(folder, made.errorString()));

    std::unique_ptr<LockedFile> own;
    QStringList leftAlone; // "name is left alone, since why"
    for (int slot = 1; slot <= MaxSlots && !own; ++slot) {
        const QString name = slotName(dataSourceKey, slot);
        const QString path = QDir(folder).filePath(name);
        Result<LockedFile::Opening> opening = LockedFile::open(path, true);
        if (!opening)
            return Failure(0, QCoreApplication::translate("CallSpool", "Cannot open %1: %2")
                                  .arg(path, opening.errorString()));
        if (opening->kind == LockedFile::Opening::Kind::Unsafe)
            leftAlone << leftAloneNote(name, opening->why);
        own = std::move(opening->file);
    }
    if (!own)
        return Failure(
            0, QCoreApplication::translate(
                   "CallSpool", "Every file of waiting calls for this data source is in use"));
    const Result<QByteArray> bytes = own->readAll();
    if (!bytes)
        return Failure(0, QCoreApplication::translate("CallSpool", "Cannot read %1: %2")
                              .arg(own->path(), bytes.errorString()));

    const spoolrecord::Contents contents = spoolrecord::decode(*bytes);
    std::unique_ptr<CallSpool> spool(new CallSpool(std::move(own)));
    spool->noteDamage(QFileInfo(spool->path()).fileName(), contents.damage);
    spool->m_waiting = contents.waiting;
    spool->m_highestId = contents.highestId;
    spool->takeOverSiblings(folder, dataSourceKey, contents.onlyWaiting, leftAlone);
    return spool;
}

CallSpool::CallSpool(std::unique_ptr<LockedFile> file) : m_file(std::move(file)) {}

CallSpool::~CallSpool()
{
    // Nothing is lost if the empty file stays: the next open takes it as it is.
    if (m_waiting.isEmpty() && m_file->size() == 0)
        static_cast<void>(m_file->remove());
}

QString CallSpool::path() const
{
    return m_file->path();
}

void CallSpool::takeOverSiblings(const QString &folder, const QString &key, bool tidy,
                                 const QStringList &leftAlone)
{
    const QString ownName = QFileInfo(path()).fileName();
    std::vector<std::unique_ptr<LockedFile>> taken;
    QList<spoolrecord::Waiting> adopted;
    QStringList refused = leftAlone;
    for (const QString &name :
         QDir(folder).entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name)) {
        if (name == ownName || !isSiblingName(name, key))
            continue;
        Result<LockedFile::Opening> opening = LockedFile::open(QDir(folder).filePath(name), false);
        if (opening && opening->kind == LockedFile::Opening::Kind::Unsafe) {
            const QString entry = leftAloneNote(name, opening->why);
            if (!refused.contains(entry))
                refused << entry;
        }
        if (!opening || !opening->file)
            continue;
        const Result<QByteArray> bytes = opening->file->readAll();
        if (!bytes)
            continue;
        const spoolrecord::Contents contents = spoolrecord::decode(*bytes);
        noteDamage(name, contents.damage);
        for (spoolrecord::Waiting waiting : contents.waiting) {
            // Each instance numbers its own calls; ours continue above the highest.
            waiting.call.id = ++m_highestId;
            waiting.bytes = spoolrecord::encodeCall(waiting.call).size();
            adopted.append(waiting);
        }
        taken.push_back(std::move(opening->file));
    }
    for (const QString &entry : std::as_const(refused)) {
        m_notes.append(
            QCoreApplication::translate(
                "CallSpool", "Waiting calls: %1 (no call is read from it); calls are kept in %2")
                .arg(entry, ownName));
    }

    QList<spoolrecord::Waiting> merged;
    merged.reserve(m_waiting.size() + adopted.size());
    std::merge(m_waiting.cbegin(), m_waiting.cend(), adopted.cbegin(), adopted.cend(),
               std::back_inserter(merged),
               [](const auto &a, const auto &b) { return a.call.call.when < b.call.call.when; });
    bool siblingsDone = false;
    if (adopted.isEmpty() && tidy) {
        // Nothing to rewrite; siblings without calls can simply go.
        siblingsDone = true;
    } else if (m_file->replace(encodeWaiting(merged))) {
        m_waiting = merged;
        siblingsDone = true;
    } else if (!adopted.isEmpty() && m_file->append(encodeWaiting(adopted))) {
        // Kept in file order, so that a restart sees them in the same order.
        m_waiting += adopted;
        siblingsDone = true;
    }
    if (siblingsDone) {
        // A sibling that stays is taken over again at the next open: nothing is lost.
        for (const auto &file : taken)
            static_cast<void>(file->remove());
    }
    m_waitingBytes = bytesOf(m_waiting);
    for (const spoolrecord::Waiting &w : std::as_const(m_waiting))
        m_waitingIds.insert(w.call.id);
}

QList<SpooledCall> CallSpool::pending() const
{
    QList<SpooledCall> calls;
    calls.reserve(m_waiting.size());
    for (const spoolrecord::Waiting &w : m_waiting)
        calls.append(w.call);
    return calls;
}

Result<void> CallSpool::append(const QList<SpooledCall> &calls)
{
    QByteArray bytes = spoolrecord::encodeStored(m_unwrittenMarks);
    QList<spoolrecord::Waiting> added;
    QSet<quint64> ids;
    for (const SpooledCall &call : calls) {
        if (m_waitingIds.contains(call.id) || ids.contains(call.id))
            return Failure(0, QCoreApplication::translate("CallSpool", "Call %1 is already waiting")
                                  .arg(call.id));
        const QByteArray record = spoolrecord::encodeCall(call);
        if (record.isEmpty())
            return Failure(
                0, QCoreApplication::translate("CallSpool", "Call %1 has no date and time to keep")
                       .arg(call.id));
        ids.insert(call.id);
        added.append({call, record.size()});
        bytes += record;
    }
    if (added.isEmpty() && m_unwrittenMarks.isEmpty())
        return {};
    if (const Result<void> written = m_file->append(bytes); !written)
        return fileFailure(written.failure());
    m_unwrittenMarks.clear();
    for (const spoolrecord::Waiting &w : std::as_const(added)) {
        m_waiting.append(w);
        m_waitingIds.insert(w.call.id);
        m_waitingBytes += w.bytes;
        m_highestId = qMax(m_highestId, w.call.id);
    }
    return {};
}

Result<void> CallSpool::markStored(const QList<quint64> &ids)
{
    const QSet<quint64> done(ids.cbegin(), ids.cend());
    qsizetype kept = 0;
    for (qsizetype i = 0; i < m_waiting.size(); ++i) {
        const spoolrecord::Waiting &w = m_waiting[i];
        if (done.contains(w.call.id)) {
            m_unwrittenMarks.append(w.call.id);
            m_waitingIds.remove(w.call.id);
            m_waitingBytes -= w.bytes;
        } else {
            m_waiting[kept++] = w;
        }
    }
    m_waiting.resize(kept);
    if (m_unwrittenMarks.isEmpty())
        return {};

    if (m_waiting.isEmpty() && m_file->replace({})) {
        m_unwrittenMarks.clear();
        return {};
    }
    if (const Result<void> written = m_file->append(spoolrecord::encodeStored(m_unwrittenMarks));
        !written)
        return fileFailure(written.failure());
    m_unwrittenMarks.clear();
    // Stored marks only ever add up; once they outweigh the waiting calls, start afresh. A
    // rewrite that fails leaves the old contents, as valid as the new.
    if (m_file->size() > CompactFrom && m_file->size() > 2 * m_waitingBytes)
        static_cast<void>(m_file->replace(encodeWaiting(m_waiting)));
    return {};
}

QByteArray CallSpool::encodeWaiting(const QList<spoolrecord::Waiting> &waiting)
{
    QByteArray bytes;
    for (const spoolrecord::Waiting &w : waiting)
        bytes += spoolrecord::encodeCall(w.call);
    return bytes;
}

Failure CallSpool::fileFailure(const Failure &reason) const
{
    return Failure(reason.number(), QCoreApplication::translate("CallSpool", "Cannot write %1: %2")
                                        .arg(path(), reason.description()));
}

void CallSpool::noteDamage(const QString &fileName, const QList<spoolrecord::Damage> &damage)
{
    // A crafted file may hold damage between every two records: the receive log gets the
    // first few and a count of the rest.
    const qsizetype shown = qMin(damage.size(), MaxDamageNotes);
    for (qsizetype i = 0; i < shown; ++i)
        m_notes.append(
            QCoreApplication::translate(
                "CallSpool", "Waiting calls: skipped a damaged entry of %1 bytes at byte %2 of %3")
                .arg(damage[i].length)
                .arg(damage[i].offset)
                .arg(fileName));
    if (damage.size() > shown) {
        qint64 bytes = 0;
        for (qsizetype i = shown; i < damage.size(); ++i)
            bytes += damage[i].length;
        m_notes.append(QCoreApplication::translate(
                           "CallSpool",
                           "Waiting calls: skipped %n more damaged entries (%1 bytes) of %2",
                           nullptr, pluralCount(damage.size() - shown))
                           .arg(bytes)
                           .arg(fileName));
    }
}

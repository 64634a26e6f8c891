// The window's side of the call path: starting and ending it, and telling the user about
// calls that wait for the call log and about the log itself.
#include "shell/frmMain.h"

#include "shell/CallToolTip.h"
#include "failure/Failure.h"
#include "locale/LocaleDates.h"
#include "modem/ReceiveLog.h"
#include "calllog/TAPI.h"

#include <QDeadlineTimer>
#include <QThread>

#include <memory>
#include <utility>

namespace {

const QChar kCR(13);

QString callsText(qsizetype count, const char *one, const char *many)
{
    return count == 1 ? QString::fromLatin1(one) : QString::fromLatin1(many).arg(count);
}

} // namespace

void frmMain::connectCallRecorder()
{
    connect(m_calls, &CallRecorder::callsDecoded, this, &frmMain::listCalls);
    connect(m_calls, &CallRecorder::callsCompleted, this, &frmMain::nameCalls);
    connect(m_calls, &CallRecorder::callsStored, this, [this](const QList<quint64> &ids) {
        for (quint64 id : ids)
            m_callRows.remove(id);
    });
    connect(m_calls, &CallRecorder::callsWaiting, this, &frmMain::reportWaitingCalls);
    connect(m_calls, &CallRecorder::callsSavedLater, this, &frmMain::markCallsSaved);
    connect(m_calls, &CallRecorder::waitingCallsSaved, this, &frmMain::reportWaitingCallsSaved);
    connect(m_calls, &CallRecorder::earlierCallsWaiting, this, &frmMain::reportEarlierCalls);
    connect(m_calls, &CallRecorder::callLogGone, this, &frmMain::reportCallLogGone);
    connect(m_calls, &CallRecorder::callLogBack, this, &frmMain::reportCallLogBack);
    connect(m_calls, &CallRecorder::roomAgain, this, [this] {
        if (std::exchange(m_receiveWaiting, false))
            QMetaObject::invokeMethod(this, &frmMain::takeReceived, Qt::QueuedConnection);
    });
}

void frmMain::startCallLog(bool noDatabaseSupport)
{
    CallRecorder::Options options;
    if (noDatabaseSupport)
        m_calls->startWithoutCallLog(options);
    else
        m_calls->start(options);
}

bool frmMain::finishCalls(int budgetMs)
{
    QDeadlineTimer deadline(budgetMs);
    const bool callsEnded = m_calls->finish(budgetMs);
    // An open still under way ends within its login time limit, or is not waited for.
    const bool reopenEnded = !m_dayViewReopen || m_dayViewReopen->wait(deadline);
    return callsEnded && reopenEnded;
}

void frmMain::reopenDayViewConnection()
{
    // Until the new connection is there the day view finds none open and keeps its list,
    // rather than querying one that went with the log.
    TAPI::releaseConnection();
    if (m_dayViewReopen)
        return;
    auto opened = std::make_shared<std::unique_ptr<db::Connection>>(TAPI::newConnection());
    m_dayViewReopen = QThread::create([opened] {
        try {
            (*opened)->setCursorLocation(db::adUseClient);
            (*opened)->Open(TAPI::callLogSource(), QString(), QString(), -1);
        } catch (const Failure &) {
            opened->reset();
        }
    });
    connect(m_dayViewReopen, &QThread::finished, this, [this, opened] {
        if (*opened)
            TAPI::adoptConnection(std::move(*opened));
        m_dayViewReopen->deleteLater();
        m_dayViewReopen = nullptr;
    });
    m_dayViewReopen->start();
}

void frmMain::appendReceiveLogLines(const QStringList &lines)
{
    // The log keeps its last few thousand characters only: a long report is cut to what
    // it would keep, in one append.
    QString text;
    qsizetype first = lines.size();
    qsizetype length = 0;
    while (first > 0 && length < receivelog::TrimAbove) {
        --first;
        length += lines.at(first).size() + 1;
    }
    for (qsizetype i = first; i < lines.size(); ++i)
        text += lines.at(i) + kCR;
    AppendReceiveLog(text);
}

void frmMain::reportWaitingCalls(const QList<SpooledCall> &calls, bool kept, const QString &reason)
{
    for (const SpooledCall &call : calls) {
        if (const auto row = m_callRows.constFind(call.id); row != m_callRows.constEnd()) {
            if (QListWidgetItem *item = lstCID->item(*row))
                item->setToolTip(callToolTip(call.call.name, true));
        }
    }
    const qsizetype n = calls.size();
    const QString message =
        kept ? callsText(n, "The call is kept and will be saved when the call log is back",
                         "%1 calls are kept and will be saved when the call log is back")
             : callsText(n, "The call is not yet safe: it could not be kept on disk",
                         "%1 calls are not yet safe: they could not be kept on disk");
    QStringList lines{dates::formatGeneralDate(m_clock.now()), message};
    if (!reason.isEmpty())
        lines << reason;
    const QString prefix =
        kept ? QStringLiteral("Waiting: [") : QStringLiteral("Held in memory: [");
    for (const SpooledCall &call : calls) {
        lines << prefix + dates::formatCallStamp(call.call.when, strDateSep, strTimeSep) +
                     QStringLiteral("] ") + call.call.number;
    }
    lines << callsText(m_calls->waitingCount(), "1 call waiting for the call log",
                       "%1 calls waiting for the call log");
    ShowTip(message, 0x0000FF, false);
    appendReceiveLogLines(lines);
}

void frmMain::markCallsSaved(const QList<quint64> &ids)
{
    for (quint64 id : ids) {
        if (const auto row = m_callRows.constFind(id); row != m_callRows.constEnd()) {
            if (QListWidgetItem *item = lstCID->item(*row))
                item->setToolTip(callToolTip(item->data(kNameRole).toString(), false));
            m_callRows.erase(row);
        }
    }
}

void frmMain::reportWaitingCallsSaved(qsizetype count)
{
    const QString message =
        count == 1 ? QStringLiteral("The call log is back: 1 waiting call saved")
                   : QStringLiteral("The call log is back: %1 waiting calls saved").arg(count);
    ShowTip(message, 0xFFFF00, false);
    AppendReceiveLog(message + kCR);
}

void frmMain::reportEarlierCalls(qsizetype count, const QStringList &damage)
{
    QStringList lines = damage;
    if (count > 0) {
        lines << callsText(count, "1 call from an earlier run is waiting for the call log",
                           "%1 calls from an earlier run are waiting for the call log");
    }
    appendReceiveLogLines(lines);
}

void frmMain::reportCallLogGone(const QString &reason)
{
    // Start-up has said so already when the log could not be opened at all.
    if (m_callLogReportedDown)
        return;
    m_callLogReportedDown = true;
    appendReceiveLogLines(
        {dates::formatGeneralDate(m_clock.now()),
         QStringLiteral("The call log is unavailable: calls are kept until it is back"), reason});
}

void frmMain::reportCallLogBack()
{
    // The day view's own connection is opened again too: it never opened, or it went
    // with the log.
    const bool wasDown = std::exchange(m_callLogReportedDown, false);
    bool open = false;
    try {
        open = TAPI::connection().State() == db::adStateOpen;
    } catch (const Failure &) {
    }
    if (wasDown || !open)
        reopenDayViewConnection();
    if (!wasDown)
        return;
    const QString message = QStringLiteral("The call log is back");
    AppendReceiveLog(message + kCR);
    // A report about the log gives way; a call's tip stays.
    if (lblTipForeColor() == 0x0000FF && m_calls->waitingCount() == 0)
        ShowTip(message, 0xFFFF00, false);
}

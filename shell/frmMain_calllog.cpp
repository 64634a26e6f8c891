// The window's side of the call path: starting and ending it, and telling the user about
// calls that wait for the call log and about the log itself.
#include "shell/frmMain.h"
#include "text/ControlChars.h"
#include "text/PluralCount.h"

#include "shell/CallToolTip.h"
#include "failure/Failure.h"
#include "locale/LocaleDates.h"
#include "modem/ReceiveLog.h"
#include "calllog/TAPI.h"

#include "picturebutton/PictureStore.h"

#include <QDeadlineTimer>
#include <QIcon>
#include <QPixmap>
#include <QTimer>
#include <QThread>

#include <memory>
#include <utility>

namespace {

// The skin's mark for a call hung up on.
const QIcon &blockedIcon()
{
    static const QIcon icon(
        QPixmap::fromImage(picturestore::image(QStringLiteral(":/skin/blocked.png"))));
    return icon;
}

} // namespace

void frmMain::connectCallRecorder()
{
    const CallRecorder *calls = &m_pipeline->recorder();
    connect(calls, &CallRecorder::callsDecoded, this, &frmMain::listCalls);
    connect(calls, &CallRecorder::callsCompleted, this, &frmMain::nameCalls);
    connect(calls, &CallRecorder::callsStored, this, [this](const QList<quint64> &ids) {
        for (quint64 id : ids)
            m_callRows.remove(id);
    });
    connect(calls, &CallRecorder::callsSavedLater, this, &frmMain::markCallsSaved);
    connect(calls, &CallRecorder::earlierCallsWaiting, this, &frmMain::reportEarlierCalls);
    connect(calls, &CallRecorder::callLogGone, this, &frmMain::reportCallLogGone);
    connect(calls, &CallRecorder::callLogBack, this, &frmMain::reportCallLogBack);
    connect(m_pipeline, &CallPipeline::callsWaiting, this, &frmMain::reportWaitingCalls);
    connect(m_pipeline, &CallPipeline::waitingCallsSaved, this, &frmMain::reportWaitingCallsSaved);
    connect(m_pipeline, &CallPipeline::readAgain, this, &frmMain::takeReceived);
    connect(m_pipeline, &CallPipeline::feedOff, this, &frmMain::reportFeedOff);
    connect(m_pipeline, &CallPipeline::outletRemark, this,
            [this](const QString &text) { AppendReceiveLog(text + QChar(ascii::CR)); });
    connect(m_pipeline, &CallPipeline::noticeActivated, this, &frmMain::showFromNotice);
}

void frmMain::startCallLog(bool noDatabaseSupport)
{
    m_pipeline->start(noDatabaseSupport);
}

bool frmMain::finishCalls(int budgetMs)
{
    QDeadlineTimer deadline(budgetMs);
    const bool callsEnded = m_pipeline->finish(budgetMs);
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
        text += lines.at(i) + QChar(ascii::CR);
    AppendReceiveLog(text);
}

void frmMain::reportWaitingCalls(const QList<SpooledCall> &calls, const QString &message,
                                 const QStringList &logLines)
{
    for (const SpooledCall &call : calls) {
        if (const auto row = m_callRows.constFind(call.id); row != m_callRows.constEnd()) {
            if (QListWidgetItem *item = lstCID->item(*row)) {
                if (!call.call.name.isEmpty())
                    item->setData(kNameRole, call.call.name);
                item->setData(kWaitingRole, true);
                showCallToolTip(item);
            }
        }
    }
    appendReceiveLogLines(logLines);
    m_waitingMessage = message;
    // The caller stays in the tip (and the minimised caption) a while: the user looks
    // there to see who is calling.
    const std::chrono::milliseconds shown{m_callTipShown.isValid() ? m_callTipShown.elapsed() : 0};
    if (tipKind() == Tip::Call && m_callTipShown.isValid() && shown < m_callTipHold)
        m_waitingNotice->start(m_callTipHold - shown);
    else
        showWaitingNotice();
}

void frmMain::showWaitingNotice()
{
    m_waitingNotice->stop();
    if (callRecorder().waitingCount() > 0)
        ShowTip(m_waitingMessage, Tip::LogProblem, false);
}

void frmMain::markCallsSaved(const QList<quint64> &ids)
{
    for (quint64 id : ids) {
        if (const auto row = m_callRows.constFind(id); row != m_callRows.constEnd()) {
            if (QListWidgetItem *item = lstCID->item(*row)) {
                item->setData(kWaitingRole, false);
                showCallToolTip(item);
            }
            m_callRows.erase(row);
        }
    }
}

void frmMain::markCall(QListWidgetItem *item, const QString &unwanted, bool blocked) const
{
    if (unwanted.isEmpty() && !blocked)
        return;
    item->setData(kUnwantedRole, unwanted);
    item->setData(kBlockedRole, blocked);
    // Only calls hung up on carry the picture, drawn at the line's end (CallMarkDelegate).
    item->setIcon(blocked ? blockedIcon() : QIcon());
}

void frmMain::showCallToolTip(QListWidgetItem *item) const
{
    const QString name = item->data(kNameRole).toString();
    const bool waiting = item->data(kWaitingRole).toBool();
    const CallerBook *callers = m_pipeline->callers();
    const QString number = item->data(kNumberRole).toString();
    CallerShown caller = callers ? callers->describe(number, name) : CallerShown();
    caller.unwanted = item->data(kUnwantedRole).toString();
    caller.blocked = item->data(kBlockedRole).toBool();
    item->setToolTip(callToolTip(name, waiting, caller));
}

void frmMain::showCallToolTips()
{
    for (int row = 0; row < lstCID->count(); ++row)
        showCallToolTip(lstCID->item(row));
}

void frmMain::reportWaitingCallsSaved(const QString &message)
{
    m_waitingNotice->stop();
    ShowTip(message, Tip::Good, false);
    AppendReceiveLog(message + QChar(ascii::CR));
}

void frmMain::reportEarlierCalls(qsizetype count, const QStringList &notes)
{
    QStringList lines = notes;
    // The English singular is a text of its own: there is no English translation to give
    // the plural text's singular form.
    const int calls = pluralCount(count);
    if (calls == 1)
        lines << tr("1 call from an earlier run is waiting for the call log");
    else if (calls > 1)
        lines << tr("%n calls from an earlier run are waiting for the call log", nullptr, calls);
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
         tr("The call log is unavailable: calls are kept until it is back"), reason});
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
    const QString message = tr("The call log is back");
    AppendReceiveLog(message + QChar(ascii::CR));
    // A report about the log gives way; a call's tip stays.
    if (tipKind() == Tip::LogProblem && callRecorder().waitingCount() == 0)
        ShowTip(message, Tip::Good, false);
}

// The serial line seen from the window: commands out, text in, the receive log, and the
// decoding of caller-ID reports from what arrives.
#include "shell/frmMain.h"

#include "platform/Comm.h"
#include "modem/CommandOutput.h"
#include "failure/Failure.h"
#include "calllog/ListLine.h"
#include "locale/LocaleDates.h"
#include "shell/ReceiveLogView.h"

#include <QTimer>

namespace {

constexpr int kListCapacity = 32767;

} // namespace

void frmMain::SendCommand(const QString &command)
{
    CommandOutput(*comm).sendCommand(command);
}

void frmMain::comm_OnComm()
{
    switch (comm->CommEvent()) {
    case Comm::EventReceive:
        if (m_pipeline->mayRead())
            takeReceived();
        break;
    case Comm::EventCarrierDetect:
        try {
            if (comm->CDHolding()) {
                CommandOutput(*comm).sendAndDrain(strCIDCommand);
                comm->Input();
            }
        } catch (const Failure &) {
            // A refused write must not end the program; the modem simply is not told again.
        }
        break;
    case Comm::EventDeviceLost:
        comm_DeviceLost();
        break;
    default:
        break;
    }
}

void frmMain::takeReceived()
{
    QString text;
    try {
        text = comm->Input();
    } catch (const Failure &) {
        // The receive branch skips a failing step: the port keeps what it could not give.
    }
    AppendReceiveLog(text);
    m_pipeline->receive(text);
}

void frmMain::takeHeldText()
{
    // Text left in the port while the call path was full would be lost when the port
    // closes: it is read now, beyond the limit, and its calls go to the log or the spool.
    if (m_pipeline->takeReadWaiting() && comm && comm->PortOpen())
        takeReceived();
}

void frmMain::AppendReceiveLog(QString text)
{
    RcvText->appendReceived(text);
}

void frmMain::RcvText_KeyPress(short &KeyAscii)
{
    try {
        if (comm->PortOpen())
            comm->setOutput(QString(QChar(ushort(KeyAscii))));
    } catch (const Failure &) {
        // A key the port refuses is dropped; typing never ends the program.
    }
    KeyAscii = 0;
}

void frmMain::ReceiveExplain()
{
    m_pipeline->decode();
}

void frmMain::listCalls(const QList<ReceivedCall> &calls)
{
    // A burst is listed in one insertion; only its last call reaches the tip line, as
    // the others would be overwritten before any repaint.
    const ReceivedCall &last = calls.last();
    strDate = last.shown.date;
    strTime = last.shown.time;
    strNumber = last.shown.number;
    const int before = lstCID->count();
    QStringList lines;
    for (const ReceivedCall &call : calls) {
        const int row = before + int(lines.size());
        if (row >= kListCapacity)
            break;
        lines << listLine(row + 1, dates::decimalSeparator(), call.shown.date, call.shown.time,
                          call.shown.number);
        m_callRows.insert(call.id, row);
    }
    lstCID->addItems(lines);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (QListWidgetItem *item = lstCID->item(before + int(i))) {
            item->setData(kNumberRole, calls.at(i).call.number);
            markCall(item, calls.at(i).unwanted, calls.at(i).call.blocked);
            showCallToolTip(item);
        }
    }
    ShowTip(callTip(last.shown), Tip::Call, false);
    m_callTipShown.start();
    // A notice held back waits for this call's tip to have shown its while too.
    if (m_waitingNotice->isActive())
        m_waitingNotice->start(m_callTipHold);
}

void frmMain::nameCalls(const QList<ReceivedCall> &calls)
{
    // The name comes when the report closes, a moment after the line was listed.
    for (const ReceivedCall &call : calls) {
        if (call.call.name.isEmpty() && call.unwanted.isEmpty())
            continue;
        if (const auto row = m_callRows.constFind(call.id); row != m_callRows.constEnd()) {
            if (QListWidgetItem *item = lstCID->item(*row)) {
                if (!call.call.name.isEmpty())
                    item->setData(kNameRole, call.call.name);
                // A name rule decides once the name has come; a modem that refused to go
                // off hook did not hang up after all.
                markCall(item, call.unwanted, call.call.blocked);
                showCallToolTip(item);
            }
        }
    }
}

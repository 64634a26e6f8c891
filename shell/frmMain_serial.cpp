// The serial line seen from the window: commands out, text in, the receive log, and the
// decoding of caller-ID reports from what arrives.
#include "frmMain.h"

#include "CallerIdDecoder.h"
#include "Comm.h"
#include "CommandOutput.h"
#include "Failure.h"
#include "ListLine.h"
#include "LocaleDates.h"
#include "ReceiveLogView.h"
#include "TAPI.h"

#include <QElapsedTimer>
#include <QTimer>

namespace {

constexpr int kListCapacity = 32767;
constexpr qint64 kCallSliceMs = 25;

} // namespace

void frmMain::SendCommand(const QString &command)
{
    CommandOutput(*comm).sendCommand(command);
}

void frmMain::comm_OnComm()
{
    switch (comm->CommEvent()) {
    case Comm::EventReceive:
        // While earlier calls are still being stored the text stays in the port (which
        // bounds it), so a flood cannot pile up calls without end.
        if (!m_pendingCalls.isEmpty()) {
            m_receiveWaiting = true;
            break;
        }
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
    }
    AppendReceiveLog(text);
    // The whole text goes to the buffer: the decoder drops foreign lines itself, so
    // the calls do not depend on where the serial layer cut the stream.
    strReceive += text.toUpper();
    ReceiveExplain();
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
    m_pendingCalls += m_decoder->decode(strReceive, strDateSep, strTimeSep);
    timeOpenReport();
    takePendingCalls();
}

void frmMain::timeOpenReport()
{
    const quint64 report = m_decoder->openReport();
    if (report == 0 || report == m_timedReport)
        return;
    m_timedReport = report;
    if (!m_reportHold) {
        m_reportHold = new QTimer(this);
        m_reportHold->setSingleShot(true);
        m_reportHold->setInterval(CallerIdDecoder::ReportHold);
        connect(m_reportHold, &QTimer::timeout, this, [this] {
            m_pendingCalls += m_decoder->closeReport();
            takePendingCalls();
        });
    }
    // Only the newest report can be open: an older one closed when this one began.
    m_reportHold->start();
}

void frmMain::takePendingCalls()
{
    if (m_takeScheduled)
        return; // the scheduled pass goes on where the last one stopped
    // One read can hold a thousand calls and each store may wait for the disk: the calls
    // are taken in slices so the window keeps answering in between.
    QElapsedTimer slice;
    slice.start();
    while (!m_pendingCalls.isEmpty()) {
        if (slice.elapsed() >= kCallSliceMs) {
            m_takeScheduled = true;
            QTimer::singleShot(0, this, [this] {
                m_takeScheduled = false;
                takePendingCalls();
            });
            return;
        }
        const DecodedCall call = m_pendingCalls.takeFirst();
        strDate = call.date;
        strTime = call.time;
        strNumber = call.number;
        const int count = lstCID->count();
        if (count < kListCapacity)
            lstCID->addItem(listLine(count + 1, dates::decimalSeparator(), strDate, strTime, strNumber));
        ShowTip(callTip(call), 0x8080FF, false);
        storeCall();
    }
    if (m_receiveWaiting) {
        m_receiveWaiting = false;
        QMetaObject::invokeMethod(this, &frmMain::takeReceived, Qt::QueuedConnection);
    }
}

void frmMain::storeCall()
{
    const TAPI::StoreOutcome outcome = TAPI::AddCallRecord(strDate + QLatin1Char(' ') + strTime, strNumber);
    if (outcome.kind != TAPI::StoreOutcome::Failed)
        return;
    ReportCallLogProblem(QStringLiteral("This call could not be saved in the call log"),
                         QStringLiteral("Not saved: [%1 %2] %3").arg(strDate, strTime, strNumber) +
                             QLatin1Char('\r') + outcome.description);
}

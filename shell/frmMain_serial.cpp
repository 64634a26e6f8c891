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
    case Comm::EventReceive: {
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
        break;
    }
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
    const QList<DecodedCall> calls = m_decoder->decode(strReceive, strDateSep, strTimeSep);
    for (const DecodedCall &call : calls) {
        strDate = call.date;
        strTime = call.time;
        strNumber = call.number;
        const int count = lstCID->count();
        if (count < kListCapacity)
            lstCID->addItem(listLine(count + 1, dates::decimalSeparator(), strDate, strTime, strNumber));
        ShowTip(callTip(call), 0x8080FF, false);
        storeCall();
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

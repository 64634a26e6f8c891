// The modem catalogue and the monitoring switch.
#include "frmMain.h"

#include "Comm.h"
#include "Failure.h"
#include "ModemCatalogue.h"
#include "PortSettings.h"
#include "SerialPortMap.h"
#include "TAPI.h"
#include "TtyComm.h"
#include "btn.h"

#include <QComboBox>

void frmMain::FillModemList()
{
    const modem::ModemCatalogue catalogue = modem::listModems();
    strModemKeys = catalogue.keys;
    cboMODEM->clear();
    cboMODEM->addItems(catalogue.models);
    if (cboMODEM->count() > 0) {
        // Choosing the first entry selects that modem at once, as a user's choice would.
        cboMODEM->setCurrentIndex(0);
        cboMODEM_Click();
    }
}

void frmMain::cboMODEM_Click()
{
    FailureTrap trap;
    const modem::ModemSelection selection = modem::selectModem(strModemKeys.value(cboMODEM->currentIndex() + 1));

    // The values are taken as far as the selection got; the switch is left alone when it
    // failed, so a port opened for an earlier modem stays open.
    strPortName = selection.portName;
    if (selection.cidCommand)
        strCIDCommand = *selection.cidCommand;
    if (selection.problem) {
        trap.run([&] {
            ReportModemProblem(selection.problem->message, selection.problem->detail,
                               selection.problem->extraLines);
        });
        trap.run([this] { Power->Enabled(true); });
        return;
    }
    strInitCommand = selection.initCommand.value_or(QString(QChar(13)));
    trap.run([this] { ShowTip(QString(), 0xFFFF00, false); });
    if (selection.dcb)
        dcbModem = *selection.dcb;

    trap.run([this] { Power->Enabled(true); });
    trap.run([this] { Power->Value(1); });
    Power_Click();
}

void frmMain::Power_Click()
{
    FailureTrap trap;
    if (Power->Value() == 0) {
        trap.run([this] { comm->setPortOpen(false); });
        return;
    }

    trap.run([this] {
        if (comm->PortOpen())
            comm->setPortOpen(false);
    });
    trap.run([this] { comm->setSettings(modem::serialSettingsText(dcbModem, TAPI::strParity)); });
    trap.run([this] { comm->setCommPort(modem::portNumber(strPortName)); });
    trap.run([this] { comm->setPortOpen(true); });

    const bool permission = comm->lastFailureWasPermission();
    QString device;
    if (permission) {
        if (const auto *tty = qobject_cast<const TtyComm *>(comm))
            device = tty->devicePath();
        else
            device = serialDevicePath(comm->CommPort());
    }
    const std::optional<modem::ModemReport> report =
        modem::openFailureReport(trap.lastNumber(), permission, comm->lastSystemReason(), device);
    if (report) {
        trap.run([&] { ReportModemProblem(report->message, report->detail, report->extraLines); });
        trap.run([this] { Power->Value(0); });
        // A rejected port number leaves the component's previous one in force, and the
        // open may then have reached another device: the switch reads off, so the port is
        // closed too.
        trap.run([this] {
            if (comm->PortOpen())
                comm->setPortOpen(false);
        });
    }
    if (Power->Value() == 0)
        return;

    if (!strInitCommand.isEmpty())
        trap.run([this] { SendCommand(strInitCommand); });
    trap.run([this] { SendCommand(QStringLiteral("ats0=0") + QChar(13)); });
    trap.run([this] { SendCommand(strCIDCommand); });
}

void frmMain::comm_DeviceLost()
{
    FailureTrap trap;
    trap.run([this] {
        if (comm->PortOpen())
            comm->setPortOpen(false);
    });
    const modem::ModemReport report = modem::deviceLostReport();
    trap.run([&] { ReportModemProblem(report.message, report.detail, report.extraLines); });
    trap.run([this] { Power->Value(0); });
}

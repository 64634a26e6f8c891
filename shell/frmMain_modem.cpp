// The modem catalogue and the monitoring switch.
#include "shell/frmMain.h"
#include "text/ControlChars.h"

#include "platform/Comm.h"
#include "failure/Failure.h"
#include "locale/LocaleDates.h"
#include "modem/DeviceAccess.h"
#include "modem/FirstStart.h"
#include "modem/ModemCatalogue.h"
#include "modem/ModemReturnWatch.h"
#include "modem/PortSettings.h"
#include "calllog/TAPI.h"
#include "picturebutton/btn.h"

#include <QComboBox>
#include <QFileInfo>

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
    stopWatchingForModem();
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
    strInitCommand = selection.initCommand.value_or(QString(QChar(ascii::CR)));
    m_hangUpCommand = selection.hangUpCommand;
    // Another modem may well go off hook where the last one could not.
    if (LineGuard *line = m_pipeline->line()) {
        line->setCommands(m_hangUpCommand, strCIDCommand);
        line->reset();
    }
    trap.run([this] { ShowTip(QString(), Tip::Good, false); });
    if (selection.dcb)
        dcbModem = *selection.dcb;

    trap.run([this] { Power->Enabled(true); });
    trap.run([this] { Power->Value(1); });
    Power_Click();
}

void frmMain::Power_Click()
{
    // The user's own word (or a new modem's) ends any wait for the modem to come back.
    stopWatchingForModem();
    FailureTrap trap;
    if (Power->Value() == 0) {
        trap.run([this] { comm->setPortOpen(false); });
        return;
    }

    openModemPort(trap);
    const bool permission = comm->lastFailureWasPermission();
    const QString device = permission ? modemDevicePath() : QString();
    const std::optional<modem::ModemReport> report =
        modem::openFailureReport(trap.lastNumber(), permission, comm->lastSystemReason(), device);
    if (report) {
        trap.run([&] { ReportModemProblem(report->message, report->detail, report->extraLines); });
        trap.run([this] { Power->Value(0); });
        // A rejected port number leaves the component's previous one in force, and the
        // open may then have reached another device: the switch reads off, so the port is
        // closed too.
        closeModemPort(trap);
    }
    if (Power->Value() == 0)
        return;

    sendModemCommands(trap);
}

void frmMain::closeModemPort(FailureTrap &trap)
{
    takeHeldText();
    trap.run([this] {
        if (comm->PortOpen())
            comm->setPortOpen(false);
    });
}

void frmMain::openModemPort(FailureTrap &trap)
{
    closeModemPort(trap);
    trap.run([this] { comm->setSettings(modem::serialSettingsText(dcbModem, TAPI::strParity)); });
    trap.run([this] { comm->setCommPort(modem::portNumber(strPortName)); });
    trap.run([this] { comm->setPortOpen(true); });
}

void frmMain::sendModemCommands(FailureTrap &trap)
{
    if (!strInitCommand.isEmpty())
        trap.run([this] { SendCommand(strInitCommand); });
    trap.run([this] { SendCommand(QStringLiteral("ats0=0") + QChar(ascii::CR)); });
    trap.run([this] { SendCommand(strCIDCommand); });
}

QString frmMain::modemDevicePath() const
{
    return comm->devicePath();
}

void frmMain::comm_DeviceLost()
{
    FailureTrap trap;
    closeModemPort(trap);
    const modem::ModemReport report = modem::deviceLostReport();
    trap.run([&] { ReportModemProblem(report.message, report.detail, report.extraLines); });
    trap.run([this] { Power->Value(0); });
    watchForModem();
}

void frmMain::watchForModem()
{
    if (!m_modemReturn) {
        modem::ModemReturnWatch::Probe probe{
            [this] { return QFileInfo::exists(modemDevicePath()); },
            [this] { return reopenModemQuietly(); },
        };
        m_modemReturn = new modem::ModemReturnWatch(std::move(probe), {}, this);
        connect(m_modemReturn, &modem::ModemReturnWatch::back, this, &frmMain::modemBack);
        // The device is there but will not open: the switch tries once more the ordinary
        // way and reports why.
        connect(m_modemReturn, &modem::ModemReturnWatch::gaveUp, this, [this] {
            FailureTrap trap;
            trap.run([this] { Power->Value(1); });
            Power_Click();
        });
    }
    m_modemReturn->start();
}

void frmMain::stopWatchingForModem()
{
    if (m_modemReturn)
        m_modemReturn->stop();
}

bool frmMain::reopenModemQuietly()
{
    FailureTrap trap;
    openModemPort(trap);
    const int status = trap.lastNumber();
    if (status == ErrorNumber::InvalidPortNumber || status == ErrorNumber::PortAlreadyOpen) {
        // As in the switch: an open that reached another device does not count.
        closeModemPort(trap);
        return false;
    }
    return comm->PortOpen();
}

void frmMain::modemBack()
{
    const QString back = tr("The modem is back: monitoring again");
    FailureTrap trap;
    trap.run([this] { Power->Value(1); });
    sendModemCommands(trap);
    trap.run([&] { ShowTip(back, Tip::Good, false); });
    trap.run([this] { AppendReceiveLog(dates::formatGeneralDate(m_clock.now()) + QChar(ascii::CR)); });
    trap.run([&] { AppendReceiveLog(back + QChar(ascii::CR)); });
}

void frmMain::explainMissingModem()
{
    modem::StartFacts facts;
    facts.modemRegistered = cboMODEM->count() > 0;
    facts.modemOpen = comm->PortOpen();
    facts.tipEmpty = strTip.isEmpty();
    facts.finderReport = modem::readFinderReport(modem::finderReportPath());
    // The registered modem's own refusal, or else one ringvane-find-modems met that still holds.
    const QString device = facts.modemRegistered
                               ? (comm->lastFailureWasPermission() ? modemDevicePath() : QString())
                               : modem::refusedDeviceIn(facts.finderReport);
    if (const QFileInfo info(device); !device.isEmpty() && info.exists() && !info.isWritable()) {
        facts.refusedDevice = device;
        facts.refusedGroup = modem::deviceGroup(device);
    }
    const std::optional<modem::StartNotice> notice = modem::startNotice(facts);
    if (!notice)
        return;
    FailureTrap trap;
    trap.run([&] { ReportModemProblem(notice->tip, notice->logLines.value(0), notice->logLines.mid(1)); });
}

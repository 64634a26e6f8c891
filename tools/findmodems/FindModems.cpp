#include "tools/findmodems/FindModems.h"

#include "tools/findmodems/ModemManager.h"
#include "tools/findmodems/ModemRegistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QTextStream>

namespace {

struct Found
{
    SerialDevice device;
    modemreg::FoundModem modem;
};

QString label(const SerialDevice &d)
{
    return d.stablePath == d.path ? d.path : QStringLiteral("%1 (%2)").arg(d.path, d.stablePath);
}

void describe(QTextStream &out, const SerialDevice &d, const ProbeResult &r, bool modemManager)
{
    using O = ProbeResult::Outcome;
    const QString who = label(d);
    switch (r.outcome) {
    case O::CallerIdModem:
        out << QCoreApplication::translate("ringvane-find-modems",
                                           "%1: \"%2\" answers at %3 bit/s and reports caller ID "
                                           "(%4).")
                   .arg(who, r.model, QString::number(r.baud), r.callerIdCommand)
            << '\n';
        break;
    case O::NoCallerId:
        out << QCoreApplication::translate("ringvane-find-modems",
                                           "%1: \"%2\" is a modem that cannot report caller ID (it "
                                           "refused %3); not registered.")
                   .arg(who, r.model, r.refused.join(QStringLiteral(", ")))
            << '\n';
        break;
    case O::NotAModem:
        out << QCoreApplication::translate("ringvane-find-modems",
                                           "%1: nothing answered like a modem; left alone.")
                   .arg(who)
            << '\n';
        break;
    case O::StoppedAnswering:
        out << QCoreApplication::translate("ringvane-find-modems",
                                           "%1: answered at first but not after a reset (ATZ); "
                                           "left alone.")
                   .arg(who)
            << '\n';
        break;
    case O::CommandsLost:
        out << QCoreApplication::translate("ringvane-find-modems",
                                           "%1: \"%2\" did not answer OK to all of \"%3\", "
                                           "\"ats0=0\" and \"%4\" sent 50 ms apart, as Ringvane "
                                           "sends them; not registered.")
                   .arg(who, r.model, r.initCommand, r.callerIdCommand)
            << '\n';
        break;
    case O::NoPermission:
        // The window finds the device in this line of the report the launcher keeps.
        out << QCoreApplication::translate("ringvane-find-modems", modem::MayNotOpenLine)
                   .arg(who, modem::groupAdvice(d.path, r.group))
            << '\n';
        break;
    case O::Busy:
        out << (modemManager
                    ? QCoreApplication::translate(
                          "ringvane-find-modems",
                          "%1: in use by another program; not probed. ModemManager is "
                          "running and may be the one holding it (see below).")
                    : QCoreApplication::translate("ringvane-find-modems",
                                                  "%1: in use by another program; not probed."))
                   .arg(who)
            << '\n';
        break;
    case O::CannotOpen:
        out << QCoreApplication::translate("ringvane-find-modems",
                                           "%1: cannot open it (%2); skipped.")
                   .arg(who, r.reason)
            << '\n';
        break;
    }
}

Result<void> keepBackup(const QString &path)
{
    QFile old(path);
    if (!old.exists())
        return {};
    QSaveFile backup(path + QStringLiteral(".bak"));
    if (!old.open(QIODevice::ReadOnly) || !backup.open(QIODevice::WriteOnly)
        || backup.write(old.readAll()) < 0 || !backup.commit())
        return Failure(0, QCoreApplication::translate("ringvane-find-modems",
                                                      "cannot keep a copy of the previous file: %1")
                              .arg(backup.errorString()));
    return {};
}

// Reads the file afresh under a lock, so two finders or a finder and a hand edit made while
// it probed do not lose each other's entries, then replaces it in one step.
bool registerAll(const FinderOptions &options, QList<Found> &found, QTextStream &out)
{
    const QString path = options.registryPath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(5000)) {
        out << QCoreApplication::translate("ringvane-find-modems",
                                           "Cannot register: %1 is being changed by another "
                                           "program.")
                   .arg(path)
            << '\n';
        return false;
    }
    Result<modemreg::LoadedHive> loaded = modemreg::loadForUpdate(path, options.systemRegistryPath);
    if (!loaded) {
        out << QCoreApplication::translate("ringvane-find-modems", "Cannot register: %1.")
                   .arg(loaded.errorString())
            << '\n';
        return false;
    }
    registry::Hive &hive = loaded->hive;
    const QString &copiedFrom = loaded->copiedFrom;
    QStringList lines;
    for (const Found &f : found) {
        const modemreg::Registration reg = modemreg::registerModem(hive, f.modem);
        lines << QCoreApplication::translate("ringvane-find-modems",
                                             "Registered \"%1\" on %2 as %3 (modem %4).")
                         .arg(reg.model, f.modem.stablePath, reg.port, reg.modemKey) +
                     QLatin1Char('\n');
    }
    Result<void> written = keepBackup(path);
    if (written)
        written = registry::writeRegistryFile(path, hive);
    if (!written) {
        out << QCoreApplication::translate("ringvane-find-modems",
                                           "Cannot write %1: %2. Nothing was registered.")
                   .arg(path, written.errorString())
            << '\n';
        return false;
    }
    if (!copiedFrom.isEmpty())
        out << QCoreApplication::translate("ringvane-find-modems", "Started %1 as a copy of %2.")
                   .arg(path, copiedFrom)
            << '\n';
    for (const QString &line : lines)
        out << line;
    out << QCoreApplication::translate("ringvane-find-modems", "Ringvane reads its modems from %1.")
               .arg(path)
        << '\n';
    return true;
}

} // namespace

int findModems(const FinderOptions &options, QTextStream &out)
{
    QList<SerialDevice> devices;
    if (options.devices.isEmpty()) {
        devices = listSerialDevices(options.paths);
    } else {
        for (const QString &path : options.devices)
            devices.append(describeDevice(path, options.paths));
    }
    if (devices.isEmpty()) {
        if (options.verbose)
            out << QCoreApplication::translate("ringvane-find-modems",
                                               "No serial or USB ports to look at.")
                << '\n';
        return 0;
    }

    const Result<modemreg::LoadedHive> current =
        modemreg::loadForUpdate(options.registryPath, options.systemRegistryPath);
    if (!current) {
        out << QCoreApplication::translate("ringvane-find-modems", "Cannot look for modems: %1.")
                   .arg(current.errorString())
            << '\n';
        return 1;
    }

    const bool modemManager = modemManagerRunning(options.paths);
    QList<SerialDevice> forModemManager;
    QList<Found> found;
    for (const SerialDevice &device : devices) {
        if (const auto reg = modemreg::findRegistration(current->hive, device.stablePath)) {
            out << QCoreApplication::translate("ringvane-find-modems",
                                               "%1: already registered as %2 (\"%3\"); not probed "
                                               "again.")
                       .arg(label(device), reg->port, reg->model)
                << '\n';
            forModemManager.append(device);
            continue;
        }
        ProbeResult result = probeModem(device.path, options.timings);
        if (result.outcome == ProbeResult::Outcome::CallerIdModem && result.model.isEmpty())
            result.model = QStringLiteral("Modem on %1").arg(device.kernelName);
        describe(out, device, result, modemManager);
        if (result.outcome == ProbeResult::Outcome::CallerIdModem) {
            found.append({device, {device.stablePath, result.model, result.baud, result.initCommand,
                                   result.callerIdCommand}});
        }
        if (result.outcome == ProbeResult::Outcome::CallerIdModem
            || result.outcome == ProbeResult::Outcome::Busy)
            forModemManager.append(device);
    }
    out.flush();

    int status = 0;
    if (!found.isEmpty() && !registerAll(options, found, out))
        status = 1;

    if (modemManager) {
        QStringList rules;
        for (const SerialDevice &device : forModemManager) {
            if (!ignoredByModemManager(device.path, options.paths))
                rules.append(modemManagerRule(device));
        }
        rules.removeDuplicates();
        if (!rules.isEmpty()) {
            out << '\n'
                << QCoreApplication::translate("ringvane-find-modems",
                                               "ModemManager is running: it probes modem ports and "
                                               "may hold the modem so Ringvane cannot open it. To "
                                               "keep it away, put these lines in %1:")
                       .arg(QLatin1String(kUdevRuleFile))
                << "\n\n";
            // The rules and the command are copied as they are: never translated.
            for (const QString &rule : rules)
                out << "    " << rule << '\n';
            out << '\n'
                << QCoreApplication::translate("ringvane-find-modems",
                                               "then run \"%1\" and plug the modem in again.")
                       .arg(QStringLiteral(
                           "sudo udevadm control --reload-rules && sudo udevadm trigger"))
                << '\n';
        }
    }
    out.flush();
    return status;
}

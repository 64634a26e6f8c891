#include "modem/ModemCatalogue.h"

#include "modem/RegistryAccess.h"

#include <QCoreApplication>

namespace modem {

namespace {

constexpr int DcbSize = 28;
const QChar CR(13);

} // namespace

ModemReport badConfigurationReport()
{
    return {QCoreApplication::translate("ModemCatalogue",
                                        "The configuration of modem is not correct！"),
            QCoreApplication::translate("ModemCatalogue",
                                        "Please firstly check your modem configuration."),
            {}};
}

ModemReport callerIdUnsupportedReport()
{
    return {
        QCoreApplication::translate("ModemCatalogue", "your modem don't support ringvane！"),
        QCoreApplication::translate("ModemCatalogue", "Sorry,your modem don't support ringvane!"),
        {}};
}

ModemCatalogue listModems()
{
    ModemCatalogue catalogue;
    EnumRegSubKeys(ModemClassKey, catalogue.keys);
    for (qsizetype i = 1; i < catalogue.keys.size(); ++i)
        catalogue.models.append(GetRegString(ModemClassKey + catalogue.keys.at(i) + QStringLiteral("\\Model")));
    return catalogue;
}

bool isComPortName(const QString &name)
{
    return name.left(3).toUpper() == QLatin1String("COM");
}

bool isAtCommand(const QString &command)
{
    return command.left(2).toUpper() == QLatin1String("AT");
}

QString normaliseCommand(QString command)
{
    if (const qsizetype cut = command.indexOf(QLatin1String("<cr>")); cut >= 0)
        command.truncate(cut);
    if (!command.contains(CR))
        command += CR;
    return command;
}

QByteArray dcbFromValue(const QByteArray &value)
{
    QByteArray dcb = value.left(DcbSize);
    dcb.append(DcbSize - dcb.size(), '\0');
    return dcb;
}

QString findPortName(const QString &modemPath)
{
    QString port;
    const QString id = GetRegString(modemPath + QStringLiteral("\\MatchingDeviceId"));
    if (!id.isEmpty()) {
        const QString device = QStringLiteral("Enum\\") + id + QLatin1Char('\\');
        QStringList instances;
        EnumRegSubKeys(device, instances);
        if (instances.size() > 1)
            port = GetRegString(device + instances.at(1) + QStringLiteral("\\PORTNAME"));
    }
    if (port.isEmpty() || !isComPortName(port))
        port = GetRegString(modemPath + QStringLiteral("\\AttachedTo"));
    return port;
}

ModemSelection selectModem(const QString &modemKey)
{
    const QString path = ModemClassKey + modemKey;
    ModemSelection selection;

    selection.portName = findPortName(path);
    if (selection.portName.isEmpty() || !isComPortName(selection.portName)) {
        selection.problem = badConfigurationReport();
        return selection;
    }

    const QString cid = GetRegString(path + QStringLiteral("\\EnableCallerID\\1"));
    selection.cidCommand = cid;
    if (cid.isEmpty() || !isAtCommand(cid)) {
        selection.problem = callerIdUnsupportedReport();
        return selection;
    }
    selection.cidCommand = normaliseCommand(cid);
    selection.initCommand = normaliseCommand(GetRegString(path + QStringLiteral("\\Settings\\Init\\1")));
    // Only an AT command will do to put the line back on hook; anything else gives way to
    // the plain one.
    const QString hangUp = GetRegString(path + QStringLiteral("\\Hangup\\1"));
    selection.hangUpCommand =
        isAtCommand(hangUp) ? normaliseCommand(hangUp) : QStringLiteral("ATH0") + CR;

    const QByteArray dcb = GetRegBinary(path + QStringLiteral("\\DCB"));
    if (!dcb.isEmpty())
        selection.dcb = dcbFromValue(dcb);
    return selection;
}

} // namespace modem

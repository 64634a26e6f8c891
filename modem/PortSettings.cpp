#include "modem/PortSettings.h"
#include "modem/DeviceAccess.h"
#include "text/ControlChars.h"

#include "failure/Failure.h"
#include "locale/LocaleDates.h"

#include <QCoreApplication>
#include <QFile>
#include <QtEndian>

#include <cmath>
#include <vector>

namespace modem {

namespace {

constexpr int BaudRateAt = 4;
constexpr int ByteSizeAt = 18;
constexpr int ParityAt = 19;
constexpr int StopBitsAt = 20;
constexpr qsizetype ReasonLimit = 200;

quint8 byteAt(const QByteArray &dcb, int at)
{
    return at < dcb.size() ? static_cast<quint8>(dcb.at(at)) : 0;
}

// The text after "COM", read as far as it is a number.
double leadingNumber(QStringView text)
{
    QString digits;
    for (QChar c : text) {
        if (c == QLatin1Char(' ') || c == ascii::TAB || c == ascii::LF)
            continue;
        digits += c;
    }
    qsizetype end = 0;
    const auto digitsFrom = [&](qsizetype at) {
        while (at < digits.size() && digits.at(at).isDigit() && digits.at(at).unicode() < 128)
            ++at;
        return at;
    };
    if (end < digits.size() && (digits.at(end) == QLatin1Char('+') || digits.at(end) == QLatin1Char('-')))
        ++end;
    const qsizetype intStart = end;
    end = digitsFrom(end);
    bool any = end > intStart;
    if (end < digits.size() && digits.at(end) == QLatin1Char('.')) {
        const qsizetype fracEnd = digitsFrom(end + 1);
        any = any || fracEnd > end + 1;
        end = fracEnd;
    }
    if (!any)
        return 0;
    if (end < digits.size() && QStringLiteral("eEdD").contains(digits.at(end))) {
        qsizetype at = end + 1;
        if (at < digits.size() && (digits.at(at) == QLatin1Char('+') || digits.at(at) == QLatin1Char('-')))
            ++at;
        const qsizetype expEnd = digitsFrom(at);
        if (expEnd > at) {
            digits[end] = QLatin1Char('e');
            end = expEnd;
        }
    }
    // A number too large reads as infinite (and so overflows later), not as 0.
    bool ok = false;
    const double value = digits.left(end).toDouble(&ok);
    return ok || std::isinf(value) ? value : 0;
}

QString plainLine(const QString &text)
{
    QString line;
    for (QChar c : text.left(ReasonLimit))
        line += c.isPrint() ? c : QChar(QLatin1Char(' '));
    return line.trimmed();
}

} // namespace

QString serialSettingsText(const QByteArray &dcb, const QStringList &parityLetters)
{
    const quint32 baud = dcb.size() >= BaudRateAt + 4
                             ? qFromLittleEndian<quint32>(dcb.constData() + BaudRateAt)
                             : 0;
    const quint8 parity = byteAt(dcb, ParityAt);
    if (parity >= parityLetters.size())
        throw Failure(ErrorNumber::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    const quint8 stopCode = byteAt(dcb, StopBitsAt);
    QString stopBits = QString::number(uint(stopCode / 2 + 1));
    if (stopCode % 2)
        stopBits += dates::decimalSeparator() + QLatin1Char('5');
    return QStringList{QString::number(baud), parityLetters.at(parity),
                       QString::number(uint(byteAt(dcb, ByteSizeAt))), stopBits}
        .join(QLatin1Char(','));
}

short portNumber(const QString &portName)
{
    const double value = std::nearbyint(leadingNumber(QStringView(portName).mid(3)));
    if (!(value >= -32768 && value <= 32767))
        throw Failure(ErrorNumber::Overflow, QStringLiteral("Overflow"));
    return static_cast<short>(value);
}

std::optional<ModemReport> openFailureReport(int errorStatus, bool permissionDenied,
                                             const QString &systemReason,
                                             const QString &devicePath)
{
    if (errorStatus == ErrorNumber::InvalidPortNumber)
        return ModemReport{
            QCoreApplication::translate("PortSettings", "Modem haven't been installed properly"),
            QCoreApplication::translate(
                "PortSettings", "Please firstly make sure your modem is installed correctly."),
            {}};
    if (errorStatus != ErrorNumber::PortAlreadyOpen)
        return std::nullopt;
    ModemReport report{
        QCoreApplication::translate("PortSettings", "Sorry , I couldn't use the modem"),
        QCoreApplication::translate("PortSettings",
                                    "Maybe other applications are using the modem now."),
        {}};
    if (permissionDenied)
        report.extraLines.append(permissionAdvice(systemReason, devicePath));
    return report;
}

QString permissionAdvice(const QString &systemReason, const QString &devicePath)
{
    QString reason = plainLine(systemReason);
    if (reason.isEmpty())
        reason = QCoreApplication::translate("PortSettings", "Permission denied");
    if (devicePath.isEmpty())
        return QCoreApplication::translate("PortSettings",
                                           "The system refused access to the modem (%1): join the "
                                           "group the device belongs to (usually dialout), then "
                                           "log in again.")
            .arg(reason);
    const QString device = plainLine(devicePath);
    const QString group = deviceGroup(devicePath);
    if (group.isEmpty())
        return QCoreApplication::translate("PortSettings",
                                           "The system refused access to %1 (%2): join the group "
                                           "the device belongs to (usually dialout), then log in "
                                           "again.")
            .arg(device, reason);
    return QCoreApplication::translate("PortSettings", "The system refused access to %1 (%2). %3")
        .arg(device, reason, groupAdvice(devicePath, group));
}

ModemReport deviceLostReport()
{
    return {QCoreApplication::translate("PortSettings", "The modem has gone away"),
            QCoreApplication::translate("PortSettings",
                                        "Monitoring is off until the modem is connected again; "
                                        "then it resumes by itself."),
            {}};
}

} // namespace modem

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtEndian>

// Registry-export text for modem entries, so each test writes the hive it needs.
namespace modemhive {

inline QByteArray dcbBytes(quint32 baud, quint8 byteSize, quint8 parity, quint8 stopBits,
                           int length = 28)
{
    QByteArray dcb(28, '\0');
    qToLittleEndian<quint32>(28, dcb.data());
    qToLittleEndian<quint32>(baud, dcb.data() + 4);
    dcb[18] = char(byteSize);
    dcb[19] = char(parity);
    dcb[20] = char(stopBits);
    dcb.resize(length, '\0');
    return dcb;
}

inline QByteArray hexValue(const QByteArray &bytes)
{
    QByteArray text = "hex:";
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i)
            text += ',';
        text += QByteArray::number(static_cast<quint8>(bytes.at(i)), 16).rightJustified(2, '0');
    }
    return text;
}

inline QByteArray stringValue(const char *name, const QByteArray &value)
{
    QByteArray escaped = value;
    escaped.replace("\\", "\\\\").replace("\"", "\\\"");
    return QByteArray("\"") + name + "\"=\"" + escaped + "\"\n";
}

struct Modem
{
    QByteArray key = "0000";
    QByteArray model = "Test Modem";
    QByteArray attachedTo;
    QByteArray matchingDeviceId;
    QByteArray cid = "AT#CID=1";
    QByteArray init = "ATZ";
    QByteArray dcb = dcbBytes(9600, 8, 0, 0);
};

inline QByteArray modemText(const Modem &m)
{
    const QByteArray key =
        "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Modem\\" + m.key + "]\n";
    QByteArray text = key;
    if (!m.model.isNull())
        text += stringValue("Model", m.model);
    if (!m.attachedTo.isNull())
        text += stringValue("AttachedTo", m.attachedTo);
    if (!m.matchingDeviceId.isNull())
        text += stringValue("MatchingDeviceId", m.matchingDeviceId);
    if (!m.dcb.isNull())
        text += "\"DCB\"=" + hexValue(m.dcb) + "\n";
    if (!m.cid.isNull()) {
        text += key.chopped(2) + "\\EnableCallerID]\n";
        text += stringValue("1", m.cid);
    }
    if (!m.init.isNull()) {
        text += key.chopped(2) + "\\Settings\\Init]\n";
        text += stringValue("1", m.init);
    }
    return text;
}

// A device enumeration entry: one subkey per instance with its "PORTNAME" (null: none).
inline QByteArray enumText(const QByteArray &id, const QList<QPair<QByteArray, QByteArray>> &instances)
{
    QByteArray text = "[HKEY_LOCAL_MACHINE\\Enum\\" + id + "]\n";
    for (const auto &[instance, port] : instances) {
        text += "[HKEY_LOCAL_MACHINE\\Enum\\" + id + "\\" + instance + "]\n";
        if (!port.isNull())
            text += stringValue("PORTNAME", port);
    }
    return text;
}

// The serial-port map: which device each COM port stands for.
inline QByteArray portMapText(const QList<QPair<QString, QByteArray>> &devices)
{
    QByteArray text = "[HKEY_LOCAL_MACHINE\\Hardware\\DeviceMap\\SerialComm]\n";
    for (const auto &[device, port] : devices)
        text += stringValue(device.toUtf8().constData(), port);
    return text;
}

inline QByteArray header()
{
    return "Windows Registry Editor Version 5.00\n\n";
}

} // namespace modemhive

#include "tools/findmodems/ModemProbe.h"
#include "text/ControlChars.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QThread>

#include <cerrno>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A modem's longest answer to these commands is a few lines; a device sending more is
// talking about something else.
constexpr qsizetype kLineLimit = 256;
constexpr qsizetype kExchangeLimit = 16 * 1024;
constexpr int kInfoLineLimit = 8;
constexpr int kModelLength = 64;

enum class Final { Ok, Error, None };

struct Reply
{
    Final final = Final::None;
    QStringList info;
};

class ModemLine
{
public:
    explicit ModemLine(QSerialPort &port) : m_port(port) {}

    Reply command(const QString &command, int timeoutMs)
    {
        discardInput();
        if (!send(command))
            return {};
        QList<Reply> replies = collect({command}, 1, timeoutMs);
        return replies.isEmpty() ? Reply{} : replies.first();
    }

    // Sends the commands with a pause between them and without waiting for answers, as
    // Ringvane does, then gathers one final result per command.
    QList<Reply> burst(const QStringList &commands, int gapMs, int timeoutMs)
    {
        discardInput();
        for (qsizetype i = 0; i < commands.size(); ++i) {
            if (i > 0)
                QThread::msleep(gapMs);
            if (!send(commands[i]))
                return {};
        }
        return collect(commands, int(commands.size()), timeoutMs);
    }

private:
    bool send(const QString &command)
    {
        const QByteArray bytes = command.toLatin1() + char(ascii::CR);
        if (m_port.write(bytes) != bytes.size())
            return false;
        QDeadlineTimer deadline(1000);
        while (m_port.bytesToWrite() > 0) {
            if (deadline.hasExpired() || !m_port.waitForBytesWritten(int(deadline.remainingTime())))
                return m_port.bytesToWrite() == 0;
        }
        return true;
    }

    void discardInput()
    {
        m_port.clear(QSerialPort::Input);
        m_port.readAll();
        m_pending.clear();
    }

    QList<Reply> collect(const QStringList &echoes, int count, int timeoutMs)
    {
        QList<Reply> replies;
        Reply current;
        qsizetype received = 0;
        QDeadlineTimer deadline(timeoutMs, Qt::PreciseTimer);
        while (replies.size() < count) {
            QByteArray line;
            if (!takeLine(line)) {
                if (deadline.hasExpired() || received > kExchangeLimit)
                    break;
                if (!m_port.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())))) {
                    const auto error = m_port.error();
                    if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError)
                        break; // the device went away
                    continue;
                }
                const QByteArray bytes = m_port.read(kExchangeLimit);
                received += bytes.size();
                m_pending += bytes;
                continue;
            }
            const QString text = QString::fromLatin1(line).trimmed();
            if (text.isEmpty())
                continue;
            if (echoes.contains(text, Qt::CaseInsensitive))
                continue;
            const QString upper = text.toUpper();
            // Numeric results too: the modem's stored profile may say V0 until our init.
            if (upper == QStringLiteral("OK") || upper == QStringLiteral("0")) {
                current.final = Final::Ok;
            } else if (upper == QStringLiteral("ERROR") || upper == QStringLiteral("4")
                       || upper.startsWith(QStringLiteral("+CME ERROR"))) {
                current.final = Final::Error;
            } else {
                if (current.info.size() < kInfoLineLimit)
                    current.info.append(text);
                continue;
            }
            replies.append(current);
            current = {};
        }
        return replies;
    }

    bool takeLine(QByteArray &line)
    {
        qsizetype end = -1;
        for (qsizetype i = 0; i < m_pending.size(); ++i) {
            if (m_pending[i] == ascii::CR || m_pending[i] == ascii::LF) {
                end = i;
                break;
            }
        }
        if (end < 0) {
            if (m_pending.size() < kLineLimit)
                return false;
            end = kLineLimit; // a line without end: take it in pieces
            line = m_pending.left(end);
            m_pending.remove(0, end);
            return true;
        }
        line = m_pending.left(qMin(end, kLineLimit));
        m_pending.remove(0, end + 1);
        return true;
    }

    QSerialPort &m_port;
    QByteArray m_pending;
};

QString stripPrefix(QString line)
{
    for (const char *prefix : {"+GMM:", "+GMI:", "+CGMM:", "+CGMI:"}) {
        if (line.startsWith(QLatin1String(prefix), Qt::CaseInsensitive))
            return line.mid(int(qstrlen(prefix))).trimmed();
    }
    return line;
}

QString identify(ModemLine &line, int timeoutMs)
{
    const Reply model = line.command(QStringLiteral("AT+GMM"), timeoutMs);
    QString name = model.final == Final::Ok ? cleanModelName(model.info) : QString();
    if (!name.isEmpty()) {
        const Reply maker = line.command(QStringLiteral("AT+GMI"), timeoutMs);
        const QString makerName = maker.final == Final::Ok ? cleanModelName(maker.info) : QString();
        if (!makerName.isEmpty() && !name.contains(makerName, Qt::CaseInsensitive))
            name = cleanModelName({makerName + u' ' + name});
        return name;
    }
    const Reply info = line.command(QStringLiteral("ATI"), timeoutMs);
    return info.final == Final::Ok ? cleanModelName(info.info) : QString();
}

void closePort(QSerialPort &port)
{
    if (!port.isOpen())
        return;
    ::tcflush(port.handle(), TCOFLUSH); // nothing may hold close() back
    port.close();
}

} // namespace

QString cleanModelName(const QStringList &lines)
{
    QStringList parts;
    for (const QString &line : lines) {
        QString kept;
        for (const QChar c : stripPrefix(line)) {
            if (c.unicode() < 0x20)
                kept += u' ';
            else if (c.unicode() < 0x7f)
                kept += c;
        }
        kept = kept.simplified();
        if (!kept.isEmpty())
            parts.append(kept);
    }
    return parts.join(u' ').left(kModelLength).trimmed();
}

ProbeResult probeModem(const QString &device, const ProbeTimings &timings)
{
    ProbeResult result;
    // The lock file is named after the real node, as Ringvane's own is.
    const QString canonical = QFileInfo(device).canonicalFilePath();
    const QString node = canonical.isEmpty() ? device : canonical;

    QSerialPort port;
    port.setPortName(node);
    port.setBaudRate(timings.speeds.value(0, 9600));
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    if (!port.open(QIODevice::ReadWrite)) {
        result.reason = port.errorString();
        if (port.error() == QSerialPort::PermissionError) {
            const QByteArray native = QFile::encodeName(node);
            if (::access(native.constData(), R_OK | W_OK) != 0 && errno == EACCES) {
                result.outcome = ProbeResult::Outcome::NoPermission;
                result.group = modem::deviceGroup(node);
            } else {
                result.outcome = ProbeResult::Outcome::Busy;
            }
        }
        return result;
    }
    if (::isatty(port.handle()) != 1) {
        result.reason = QCoreApplication::translate("ringvane-find-modems", "not a serial device");
        closePort(port);
        return result;
    }

    ModemLine line(port);
    result.outcome = ProbeResult::Outcome::NotAModem;
    for (const qint32 speed : timings.speeds) {
        if (!port.setBaudRate(speed))
            continue;
        if (line.command(QStringLiteral("AT"), timings.answerMs).final == Final::Ok) {
            result.baud = speed;
            break;
        }
    }
    if (result.baud == 0) {
        closePort(port);
        return result;
    }

    // A modem ignores what it receives for a while after a reset: ask until it answers.
    line.command(QStringLiteral("ATZ"), qMax(timings.answerMs, 1500));
    bool awake = false;
    for (QDeadlineTimer deaf(timings.resetMs); !awake && !deaf.hasExpired();)
        awake = line.command(QStringLiteral("AT"), timings.retryMs).final == Final::Ok;
    for (const QString &init : kInitCommands) {
        if (!awake)
            break;
        if (line.command(init, timings.answerMs).final == Final::Ok) {
            result.initCommand = init;
            break;
        }
    }
    if (result.initCommand.isEmpty()) {
        result.outcome = ProbeResult::Outcome::StoppedAnswering;
        closePort(port);
        return result;
    }

    result.model = identify(line, timings.answerMs);

    for (const QString &command : kCallerIdCommands) {
        if (line.command(command, timings.answerMs).final == Final::Ok) {
            result.callerIdCommand = command;
            break;
        }
        result.refused.append(command);
    }
    if (result.callerIdCommand.isEmpty()) {
        result.outcome = ProbeResult::Outcome::NoCallerId;
        closePort(port);
        return result;
    }

    const QList<Reply> replies =
        line.burst({result.initCommand, QStringLiteral("ats0=0"), result.callerIdCommand},
                   timings.commandGapMs, timings.answerMs * 3);
    bool allOk = replies.size() == 3;
    for (const Reply &reply : replies)
        allOk = allOk && reply.final == Final::Ok;
    result.outcome = allOk ? ProbeResult::Outcome::CallerIdModem : ProbeResult::Outcome::CommandsLost;
    closePort(port);
    return result;
}

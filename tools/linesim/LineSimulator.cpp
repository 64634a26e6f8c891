#include "tools/linesim/LineSimulator.h"
#include "text/ControlChars.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The simulator runs for hours in demos: nothing it keeps may grow without bound.
constexpr qsizetype ReceivedLimit = 1024 * 1024;
constexpr qsizetype PendingLimit = 1024 * 1024;
constexpr qsizetype LineLimit = 4096;
constexpr qsizetype CommandLimit = 10000;

QByteArray fieldLine(const char *tag, const QString &value, const ReportStyle &style,
                     const QByteArray &eol)
{
    return QByteArray(tag) + (style.spacesAroundEquals ? " = " : "=") + value.toUtf8() + eol;
}

// ATZ or AT&F among the basic commands (those before any extended one) restarts a modem.
bool resetsModem(const QByteArray &line)
{
    QByteArray basic = line.toUpper().mid(2);
    for (qsizetype i = 0; i < basic.size(); ++i) {
        if (QByteArrayView("+#%*").contains(basic[i])) {
            basic.truncate(i);
            break;
        }
    }
    return basic.contains('Z') || basic.contains("&F");
}

} // namespace

QByteArray commandsLogLine(const ReceivedCommand &command)
{
    return command.at.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")).toLatin1() + ' '
           + command.text.toLatin1() + '\n';
}

QByteArray formatReport(const CallerIdReport &report, const ReportStyle &style)
{
    const QByteArray eol = style.crOnly ? QByteArrayLiteral("\r") : QByteArrayLiteral("\r\n");
    QByteArray out;
    for (int i = 0; i < style.ringsBefore; ++i)
        out += eol + "RING" + eol;
    if (style.blankLines)
        out += eol;
    out += fieldLine("DATE", report.date, style, eol);
    out += fieldLine("TIME", report.time, style, eol);
    if (!report.name.isEmpty() && style.nameBeforeNumber)
        out += fieldLine("NAME", report.name, style, eol);
    out += fieldLine("NMBR", report.number, style, eol);
    if (!report.name.isEmpty() && !style.nameBeforeNumber)
        out += fieldLine("NAME", report.name, style, eol);
    if (!report.message.isEmpty())
        out += fieldLine("MESG", report.message, style, eol);
    if (style.blankLines)
        out += eol;
    for (int i = 0; i < style.ringsAfter; ++i)
        out += eol + "RING" + eol;
    return out;
}

CallerIdReport reportAt(const QDateTime &when, const QString &number, const QString &name)
{
    CallerIdReport report;
    report.date = when.toString(QStringLiteral("MMdd"));
    report.time = when.toString(QStringLiteral("hhmm"));
    report.number = number;
    report.name = name;
    return report;
}

LineSimulator::LineSimulator(QObject *parent)
    : QObject(parent), m_pieceTimer(new QTimer(this)), m_schedule(new QTimer(this)),
      m_ringTimer(new QTimer(this))
{
    connect(m_ringTimer, &QTimer::timeout, this, &LineSimulator::ringOnce);
    m_pieceTimer->setSingleShot(true);
    connect(m_pieceTimer, &QTimer::timeout, this, &LineSimulator::sendNextPiece);

    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128] = {};
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0
        || ::ptsname_r(m_master, name, sizeof name) != 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
        return;
    }
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_slavePath = QString::fromLocal8Bit(name);

    // A modem's line carries bytes unchanged: no echo or line editing by the pty itself.
    termios raw {};
    if (::tcgetattr(m_master, &raw) == 0) {
        ::cfmakeraw(&raw);
        ::tcsetattr(m_master, TCSANOW, &raw);
    }
    // Holding the slave open keeps the master readable between the other side's sessions
    // (otherwise it reports a hang-up), and lets unread text wait there like in a modem.
    m_slaveKeeper = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &LineSimulator::onReadable);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &LineSimulator::onWritable);
}

LineSimulator::~LineSimulator()
{
    closeMaster();
    delete m_commandsLog;
}

bool LineSimulator::linkTo(const QString &path)
{
    if (m_slavePath.isEmpty())
        return false;
    const QByteArray native = QFile::encodeName(path);
    QFileInfo info(path);
    if (info.isSymLink())
        ::unlink(native.constData());
    if (::symlink(QFile::encodeName(m_slavePath).constData(), native.constData()) != 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_link = path;
    return true;
}

void LineSimulator::setPieces(QList<int> sizes, int delayMs)
{
    sizes.removeIf([](int size) { return size <= 0; });
    m_pieceSizes = std::move(sizes);
    m_pieceDelayMs = qMax(0, delayMs);
    m_pieceIndex = 0;
}

void LineSimulator::send(const QByteArray &bytes)
{
    if (m_master < 0)
        return;
    m_toPiece += bytes;
    if (m_toPiece.size() > PendingLimit)
        m_toPiece.remove(0, m_toPiece.size() - PendingLimit);
    if (!m_pieceTimer->isActive())
        sendNextPiece();
}

void LineSimulator::sendReport(const CallerIdReport &report, const ReportStyle &style)
{
    send(formatReport(report, style));
    if (m_ringsAfterReport <= 0)
        return;
    // A report means the phone is ringing: a new call, on hook, whatever the last one did.
    const QByteArray eol = style.crOnly ? QByteArrayLiteral("\r") : QByteArrayLiteral("\r\n");
    m_ringLine = eol + "RING" + eol;
    m_offHook = false;
    m_ringsLeft = m_ringsAfterReport;
    m_ringTimer->start();
}

void LineSimulator::setRingsAfterReport(int rings, int intervalMs)
{
    m_ringsAfterReport = qMax(0, rings);
    m_ringTimer->setInterval(qMax(1, intervalMs));
}

bool LineSimulator::isRinging() const
{
    return m_ringTimer->isActive();
}

void LineSimulator::ringOnce()
{
    send(m_ringLine);
    if (--m_ringsLeft <= 0)
        m_ringTimer->stop(); // the caller gave up
}

void LineSimulator::startSchedule(int intervalMs, const QString &number, const ReportStyle &style,
                                  const QString &name)
{
    m_schedule->disconnect(this);
    connect(m_schedule, &QTimer::timeout, this, [this, number, style, name] {
        sendReport(reportAt(QDateTime::currentDateTime(), number, name), style);
    });
    m_schedule->start(intervalMs);
}

void LineSimulator::stopSchedule()
{
    m_schedule->stop();
}

bool LineSimulator::sending() const
{
    return !m_toPiece.isEmpty() || !m_pendingWrite.isEmpty();
}

void LineSimulator::sendNextPiece()
{
    if (m_toPiece.isEmpty() || m_master < 0)
        return;
    qsizetype size = m_toPiece.size();
    if (!m_pieceSizes.isEmpty())
        size = qMin<qsizetype>(size, m_pieceSizes.at(m_pieceIndex++ % m_pieceSizes.size()));
    queueWrite(m_toPiece.left(size));
    m_toPiece.remove(0, size);
    if (!m_toPiece.isEmpty())
        m_pieceTimer->start(m_pieceDelayMs);
}

void LineSimulator::queueWrite(const QByteArray &bytes)
{
    if (m_master < 0)
        return;
    if (m_pendingWrite.size() + bytes.size() > PendingLimit)
        return; // nobody is reading the line: drop, as a modem's buffer would
    m_pendingWrite += bytes;
    writePending();
}

void LineSimulator::writePending()
{
    while (!m_pendingWrite.isEmpty()) {
        const ssize_t n = ::write(m_master, m_pendingWrite.constData(), m_pendingWrite.size());
        if (n > 0) {
            m_pendingWrite.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!m_pendingWrite.isEmpty());
}

void LineSimulator::onWritable()
{
    writePending();
}

void LineSimulator::onReadable()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            handleInput(QByteArray(buffer, n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            m_readNotifier->setEnabled(false); // nothing more will come; do not spin
        return;
    }
}

void LineSimulator::handleInput(const QByteArray &bytes)
{
    m_received += bytes;
    if (m_received.size() > ReceivedLimit)
        m_received.remove(0, m_received.size() - ReceivedLimit);
    if (m_silent)
        return;

    QByteArray echo;
    for (const char c : bytes) {
        if (isDeaf())
            continue; // lost, as a modem busy restarting loses it
        if (m_echo)
            echo += c;
        if (c == ascii::LF)
            continue;
        if (c != ascii::CR) {
            if (m_line.size() < LineLimit)
                m_line += c;
            continue;
        }
        const QByteArray line = m_line.trimmed();
        m_line.clear();
        if (!line.toUpper().startsWith("AT"))
            continue;
        queueWrite(echo);
        echo.clear();
        const QString command = QString::fromLatin1(line);
        record(command);
        Q_EMIT commandReceived(command);
        queueWrite(answer(line));
        if (m_deafAfterResetMs > 0 && resetsModem(line))
            m_deafUntil.setRemainingTime(m_deafAfterResetMs, Qt::PreciseTimer);
    }
    queueWrite(echo);
}

void LineSimulator::setCallerIdCommands(const QStringList &families)
{
    m_callerIdKnown = true;
    m_callerIdFamilies.clear();
    for (const QString &family : families)
        m_callerIdFamilies.append(family.toUpper());
}

void LineSimulator::setInformation(const QByteArray &command, const QByteArray &text)
{
    m_information.insert(command.toUpper(), text);
}

QByteArray LineSimulator::answer(const QByteArray &command)
{
    static const QByteArray ok = QByteArrayLiteral("\r\nOK\r\n");
    static const QByteArray error = QByteArrayLiteral("\r\nERROR\r\n");
    const QByteArray upper = command.toUpper();
    if (upper == "ATH1") {
        if (!m_canGoOffHook)
            return error;
        m_offHook = true;
        m_ringTimer->stop();
        return ok;
    }
    if (upper == "ATH" || upper == "ATH0") {
        m_offHook = false;
        m_ringTimer->stop();
        return ok;
    }
    if (m_callerIdKnown) {
        for (const char *family : {"+VCID", "#CID", "%CCID", "*ID"}) {
            if (upper.startsWith("AT" + QByteArray(family))) {
                return m_callerIdFamilies.contains(QLatin1String(family))
                           ? ok
                           : error;
            }
        }
    }
    if (const auto it = m_information.constFind(upper); it != m_information.cend())
        return "\r\n" + *it + "\r\n" + ok;
    return ok;
}

QString LineSimulator::lineSettings() const
{
    termios t {};
    if (m_master < 0 || ::tcgetattr(m_master, &t) != 0)
        return {};
    static const QList<QPair<speed_t, int>> speeds = {
        {B300, 300},     {B1200, 1200},   {B2400, 2400},     {B4800, 4800},
        {B9600, 9600},   {B19200, 19200}, {B38400, 38400},   {B57600, 57600},
        {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B921600, 921600}};
    int baud = 0;
    for (const auto &[code, rate] : speeds)
        if (::cfgetospeed(&t) == code)
            baud = rate;
    char parity = 'N';
    if (t.c_cflag & PARENB)
        parity = (t.c_cflag & CMSPAR) ? ((t.c_cflag & PARODD) ? 'M' : 'S')
                                      : ((t.c_cflag & PARODD) ? 'O' : 'E');
    int data = 8;
    switch (t.c_cflag & CSIZE) {
    case CS5: data = 5; break;
    case CS6: data = 6; break;
    case CS7: data = 7; break;
    default: break;
    }
    return QStringLiteral("%1,%2,%3,%4").arg(baud).arg(QLatin1Char(parity)).arg(data)
        .arg((t.c_cflag & CSTOPB) ? 2 : 1);
}

void LineSimulator::record(const QString &command)
{
    if (m_commands.size() >= CommandLimit)
        m_commands.removeFirst();
    m_commands.append({command, QDateTime::currentDateTime()});
    if (m_commandsLog) {
        m_commandsLog->write(commandsLogLine(m_commands.constLast()));
        m_commandsLog->flush();
    }
}

Result<void> LineSimulator::setCommandsLog(const QString &path)
{
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append))
        return Failure(ErrorNumber::FileNotFound, file->errorString(), path);
    delete m_commandsLog;
    m_commandsLog = file.release();
    return {};
}

QStringList LineSimulator::commands() const
{
    QStringList texts;
    texts.reserve(m_commands.size());
    for (const ReceivedCommand &command : m_commands)
        texts.append(command.text);
    return texts;
}

void LineSimulator::clearReceived()
{
    m_received.clear();
    m_commands.clear();
}

void LineSimulator::setHoldOutput(bool hold)
{
    if (m_readNotifier && m_master >= 0)
        m_readNotifier->setEnabled(!hold);
    if (!hold && m_master >= 0)
        onReadable();
}

void LineSimulator::closeMaster()
{
    m_schedule->stop();
    m_ringTimer->stop();
    m_pieceTimer->stop();
    m_toPiece.clear();
    m_pendingWrite.clear();
    delete m_readNotifier;
    m_readNotifier = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
    if (m_slaveKeeper >= 0)
        ::close(m_slaveKeeper);
    m_slaveKeeper = -1;
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
    if (!m_link.isEmpty()) {
        ::unlink(QFile::encodeName(m_link).constData());
        m_link.clear();
    }
}

QString simulatedModemKeys(const QString &subkey, const QString &model, const QString &port)
{
    const QString key =
        QStringLiteral("HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Modem\\") + subkey;
    return QStringLiteral("[%1]\n\"Model\"=\"%2\"\n\"AttachedTo\"=\"%3\"\n"
                          "\"DCB\"=hex:1c,00,00,00,80,25,00,00,01,00,00,00,00,00,00,00,00,00,08,00,00,"
                          "00,00,00,00,00,00,00\n\n"
                          "[%1\\EnableCallerID]\n\"1\"=\"AT+VCID=1<cr>\"\n\n"
                          "[%1\\Settings\\Init]\n\"1\"=\"ATE1V1Q0<cr>\"\n\n")
        .arg(key, model, port);
}

QString serialPortMapLine(const QString &devicePath, const QString &port)
{
    return QStringLiteral("\"%1\"=\"%2\"\n").arg(devicePath, port);
}

QString simulatedModemRegistry(const QString &devicePath)
{
    return QStringLiteral("REGEDIT4\n\n") +
           simulatedModemKeys(QStringLiteral("0000"), QStringLiteral("Test modem"), QStringLiteral("COM5")) +
           QStringLiteral("[HKEY_LOCAL_MACHINE\\Hardware\\DeviceMap\\SerialComm]\n") +
           serialPortMapLine(devicePath, QStringLiteral("COM5"));
}

#include "platform/linux/TtyComm.h"

#include "failure/Failure.h"
#include "platform/SerialPortMap.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <langinfo.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Enough for any burst a modem sends; beyond it the kernel holds the rest.
constexpr qint64 ReadBufferLimit = 64 * 1024;
constexpr int ModemLinePollMs = 250;
constexpr qsizetype NoticeLimit = 64;

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray localeCharset()
{
    const char *name = nl_langinfo(CODESET);
    return name && *name ? QByteArray(name) : QByteArrayLiteral("UTF-8");
}

bool isTerminal(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool tty = ::isatty(fd) == 1;
    ::close(fd);
    return tty;
}

bool hungUp(int fd)
{
    if (fd < 0)
        return true;
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL));
}

// Where an incomplete UTF-8 sequence starts at the end of bytes (size() when none).
qsizetype incompleteUtf8Tail(const QByteArray &bytes)
{
    const qsizetype size = bytes.size();
    for (qsizetype i = size - 1; i >= 0 && i >= size - 4; --i) {
        const auto byte = static_cast<unsigned char>(bytes.at(i));
        if ((byte & 0xC0) == 0x80)
            continue; // a continuation byte: look further back for its lead
        const qsizetype need = byte >= 0xF0 && byte <= 0xF4 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC2 ? 2 : 1;
        return need > size - i ? i : size;
    }
    return size;
}

Failure invalidValue()
{
    return Failure(ErrorNumber::InvalidPropertyValue, QStringLiteral("Invalid property value"));
}

} // namespace

TtyComm::TtyComm(QObject *parent) : TtyComm(serialDevicePath, parent) {}

TtyComm::TtyComm(PortResolver resolver, QObject *parent)
    : Comm(parent), m_resolver(std::move(resolver)), m_linePoll(new QTimer(this))
{
    m_port.setReadBufferSize(ReadBufferLimit);
    connect(&m_port, &QSerialPort::readyRead, this, [this] { queueNotice(EventReceive); });
    connect(&m_port, &QSerialPort::errorOccurred, this, &TtyComm::onError);
    m_linePoll->setInterval(ModemLinePollMs);
    connect(m_linePoll, &QTimer::timeout, this, &TtyComm::pollModemLines);
}

TtyComm::~TtyComm()
{
    closePort();
}

bool TtyComm::PortOpen() const
{
    return m_port.isOpen();
}

void TtyComm::setPortOpen(bool open)
{
    if (open == m_port.isOpen())
        return;
    if (open)
        openPort();
    else
        closePort();
}

void TtyComm::failOpen(int number, const QString &reason, bool permission)
{
    m_lastReason = reason;
    m_lastWasPermission = permission;
    if (number == ErrorNumber::InvalidPortNumber)
        throw Failure(number, tr("Invalid port number"));
    throw Failure(number, tr("Port already open"));
}

QString TtyComm::devicePath() const
{
    if (m_commPort < 1 || !m_resolver)
        return {};
    const QString configured = m_resolver(m_commPort);
    if (configured.isEmpty())
        return {};
    const QString canonical = QFileInfo(configured).canonicalFilePath();
    return canonical.isEmpty() ? configured : canonical;
}

void TtyComm::openPort()
{
    m_lastReason.clear();
    m_lastWasPermission = false;
    if (m_commPort < 1)
        failOpen(ErrorNumber::InvalidPortNumber, tr("Invalid port number"));

    const QString device = devicePath();
    if (device.isEmpty())
        failOpen(ErrorNumber::InvalidPortNumber, tr("No device for this port"));
    const QByteArray native = QFile::encodeName(device);

    struct stat st {};
    if (::stat(native.constData(), &st) != 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR || error == ELOOP)
            failOpen(ErrorNumber::InvalidPortNumber, systemText(error));
        failOpen(ErrorNumber::PortAlreadyOpen, systemText(error), error == EACCES || error == EPERM);
    }
    if (!S_ISCHR(st.st_mode))
        failOpen(ErrorNumber::InvalidPortNumber, tr("Not a serial device"));

    m_port.setPortName(device);
    m_port.setBaudRate(m_line.baud);
    m_port.setParity(m_line.parity);
    m_port.setDataBits(m_line.dataBits);
    m_port.setStopBits(m_line.stopBits);
    m_port.setFlowControl(QSerialPort::NoFlowControl);

    if (!m_port.open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = m_port.error();
        const QString reason = m_port.errorString();
        m_port.clearError();
        if (error == QSerialPort::DeviceNotFoundError)
            failOpen(ErrorNumber::InvalidPortNumber, reason);
        if (error == QSerialPort::PermissionError) {
            // The same error covers a lock held by another program and a device we may
            // not open; only the second is worth telling the user how to fix.
            const bool denied = ::access(native.constData(), R_OK | W_OK) != 0 && errno == EACCES;
            failOpen(ErrorNumber::PortAlreadyOpen, reason, denied);
        }
        if (!isTerminal(native))
            failOpen(ErrorNumber::InvalidPortNumber, tr("Not a serial device (%1)").arg(reason));
        failOpen(ErrorNumber::PortAlreadyOpen, reason);
    }
    if (::isatty(m_port.handle()) != 1) {
        m_port.close();
        failOpen(ErrorNumber::InvalidPortNumber, tr("Not a serial device"));
    }

    // Whatever a previous session left in the device is not for us.
    m_port.clear(QSerialPort::Input);

    const QByteArray charset = localeCharset();
    m_decoder = QStringDecoder(charset.constData());
    m_encoder = QStringEncoder(charset.constData());
    m_utf8 = !m_decoder.isValid() || !m_encoder.isValid()
             || QStringConverter::encodingForName(charset.constData()) == QStringConverter::Utf8;
    if (m_utf8)
        m_encoder = QStringEncoder(QStringConverter::Utf8);
    m_utf8Carry.clear();

    m_lost = false;
    m_carrier = false;
    int bits = 0;
    if (::ioctl(m_port.handle(), TIOCMGET, &bits) == 0) {
        m_carrier = bits & TIOCM_CD;
        m_linePoll->start();
    }
}

void TtyComm::closePort()
{
    m_linePoll->stop();
    m_carrier = false;
    if (!m_port.isOpen())
        return;
    m_closing = true;
    // Unsent output would make the kernel hold close() back (for up to 30 seconds on a
    // line whose flow control is held); nobody waits for it any more.
    ::tcflush(m_port.handle(), TCOFLUSH);
    m_port.clear(QSerialPort::Output);
    m_port.close();
    m_port.clearError();
    m_closing = false;
}

QString TtyComm::Settings() const
{
    return m_settingsText;
}

std::optional<TtyComm::LineSettings> TtyComm::parseSettings(const QString &text)
{
    QStringList fields = text.split(QLatin1Char(','));
    for (QString &field : fields)
        field = field.trimmed();
    // "1,5" is 1.5 stop bits where the decimal separator is a comma.
    if (fields.size() == 5 && fields[3] == QLatin1String("1") && fields[4] == QLatin1String("5"))
        return std::nullopt; // 1.5 stop bits: no Linux serial driver can do them
    if (fields.size() != 4)
        return std::nullopt;

    LineSettings line;
    bool ok = false;
    line.baud = fields[0].toInt(&ok);
    if (!ok || line.baud <= 0)
        return std::nullopt;

    if (fields[1].size() != 1)
        return std::nullopt;
    switch (fields[1].at(0).toUpper().unicode()) {
    case 'N': line.parity = QSerialPort::NoParity; break;
    case 'O': line.parity = QSerialPort::OddParity; break;
    case 'E': line.parity = QSerialPort::EvenParity; break;
    case 'M': line.parity = QSerialPort::MarkParity; break;
    case 'S': line.parity = QSerialPort::SpaceParity; break;
    default: return std::nullopt;
    }

    const int data = fields[2].toInt(&ok);
    if (!ok || data < 5 || data > 8)
        return std::nullopt;
    line.dataBits = static_cast<QSerialPort::DataBits>(data);

    if (fields[3] == QLatin1String("1"))
        line.stopBits = QSerialPort::OneStop;
    else if (fields[3] == QLatin1String("2"))
        line.stopBits = QSerialPort::TwoStop;
    else
        return std::nullopt; // "1.5" included
    return line;
}

bool TtyComm::applyLine(const LineSettings &line)
{
    return m_port.setBaudRate(line.baud) && m_port.setParity(line.parity)
           && m_port.setDataBits(line.dataBits) && m_port.setStopBits(line.stopBits);
}

void TtyComm::setSettings(const QString &settings)
{
    const std::optional<LineSettings> line = parseSettings(settings);
    if (!line)
        throw invalidValue();
    if (m_port.isOpen() && !applyLine(*line)) {
        applyLine(m_line);
        m_port.clearError();
        throw invalidValue();
    }
    m_line = *line;
    m_settingsText = settings;
}

short TtyComm::CommPort() const
{
    return m_commPort;
}

void TtyComm::setCommPort(short port)
{
    if (m_port.isOpen())
        throw Failure(ErrorNumber::PortOpenNotValid,
                      QStringLiteral("Operation not valid while the port is open"));
    if (port < 1)
        throw Failure(ErrorNumber::InvalidPortNumber, QStringLiteral("Invalid port number"));
    m_commPort = port;
}

void TtyComm::setOutput(const QString &text)
{
    if (m_lost)
        finishLoss();
    if (!m_port.isOpen())
        throw Failure(ErrorNumber::PortNotOpen,
                      QStringLiteral("Operation valid only when the port is open"));
    const QByteArray bytes = m_encoder.encode(text);
    if (m_port.write(bytes) != bytes.size())
        throw Failure(ErrorNumber::PortNotOpen, m_port.errorString());
}

int TtyComm::OutBufferCount()
{
    if (!m_port.isOpen())
        return 0;
    // Pushes what it can without blocking; the event loop may not run until we reach 0.
    if (m_port.bytesToWrite() > 0)
        m_port.flush();
    if (m_lost) {
        finishLoss();
        return 0;
    }
    return static_cast<int>(qMin<qint64>(m_port.bytesToWrite(), INT_MAX));
}

QString TtyComm::Input()
{
    if (!m_port.isOpen())
        return {};
    QByteArray bytes = m_port.readAll();
    if (bytes.isEmpty())
        return {};
    if (!m_utf8)
        return m_decoder.decode(bytes);
    // Qt 6.4's stateful UTF-8 decoder drops the byte after a broken sequence, so the
    // unfinished sequence at the end is kept here and the rest decoded on its own.
    bytes.prepend(m_utf8Carry);
    const qsizetype tail = incompleteUtf8Tail(bytes);
    m_utf8Carry = bytes.mid(tail);
    bytes.truncate(tail);
    return QString::fromUtf8(bytes);
}

short TtyComm::CommEvent() const
{
    return m_commEvent;
}

bool TtyComm::CDHolding() const
{
    if (!m_port.isOpen())
        return false;
    int bits = 0;
    if (::ioctl(m_port.handle(), TIOCMGET, &bits) != 0)
        return false;
    return bits & TIOCM_CD;
}

QString TtyComm::lastSystemReason() const
{
    return m_lastReason;
}

bool TtyComm::lastFailureWasPermission() const
{
    return m_lastWasPermission;
}

void TtyComm::queueNotice(short kind)
{
    // One pending receive notice stands for any number of arrivals: Input takes them all.
    if (kind == EventReceive && m_notices.contains(EventReceive))
        return;
    if (m_notices.size() >= NoticeLimit)
        return;
    m_notices.append(kind);
    if (!m_deliveryQueued) {
        m_deliveryQueued = true;
        QMetaObject::invokeMethod(this, &TtyComm::deliverNotice, Qt::QueuedConnection);
    }
}

void TtyComm::deliverNotice()
{
    m_deliveryQueued = false;
    if (m_notices.isEmpty())
        return;
    m_commEvent = m_notices.takeFirst();
    if (!m_notices.isEmpty()) {
        m_deliveryQueued = true;
        QMetaObject::invokeMethod(this, &TtyComm::deliverNotice, Qt::QueuedConnection);
    }
    Q_EMIT OnComm();
}

void TtyComm::onError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || !m_port.isOpen() || m_closing || m_lost)
        return;
    // QSerialPort calls a full output queue (EAGAIN) a ResourceError too: only a line
    // that has hung up is really gone.
    const bool gone = (error == QSerialPort::ResourceError || error == QSerialPort::ReadError
                       || error == QSerialPort::WriteError)
                      && hungUp(m_port.handle());
    m_port.clearError();
    if (!gone)
        return;
    // Closing from inside QSerialPort's own signal is not safe; finish from the loop or
    // from the next member call, whichever comes first.
    m_lost = true;
    QMetaObject::invokeMethod(this, &TtyComm::finishLoss, Qt::QueuedConnection);
}

void TtyComm::finishLoss()
{
    if (!m_lost)
        return;
    m_lost = false;
    if (!m_port.isOpen())
        return;
    closePort();
    m_notices.removeAll(EventReceive);
    queueNotice(EventDeviceLost);
}

void TtyComm::pollModemLines()
{
    if (!m_port.isOpen()) {
        m_linePoll->stop();
        return;
    }
    int bits = 0;
    if (::ioctl(m_port.handle(), TIOCMGET, &bits) != 0) {
        const int error = errno;
        m_linePoll->stop();
        if (error == EIO || hungUp(m_port.handle())) {
            m_lost = true;
            finishLoss();
        }
        return;
    }
    const bool carrier = bits & TIOCM_CD;
    if (carrier != m_carrier) {
        m_carrier = carrier;
        queueNotice(EventCarrierDetect);
    }
}

Comm *newSerialPort(QObject *parent)
{
    return new TtyComm(parent);
}

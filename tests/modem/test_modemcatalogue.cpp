#include "tests/support/TestHelpers.h"
#include "tests/modem/ModemHive.h"
#include "tests/registry/RegistryFixture.h"

#include "failure/Failure.h"
#include "tests/support/LocaleScope.h"
#include "modem/ModemCatalogue.h"
#include "modem/PortSettings.h"

#include <QFile>
#include <QTemporaryDir>

#include <grp.h>
#include <unistd.h>

using namespace modemhive;

namespace {

const QStringList kParity{QStringLiteral("N"), QStringLiteral("O"), QStringLiteral("E"),
                          QStringLiteral("M"), QStringLiteral("S")};

class CatalogueTest : public RegistryFixture
{
protected:
    void useModems(const QByteArray &text) { useRegistry(header() + text); }
};

} // namespace

TEST_F(CatalogueTest, ListsModelsInRegistryOrderWithEmptyEntries)
{
    Modem zeta;
    zeta.key = "0003";
    zeta.model = "Zeta 56K";
    Modem nameless;
    nameless.key = "0001";
    nameless.model = QByteArray();
    Modem alpha;
    alpha.key = "0002";
    alpha.model = "Alpha";
    useModems(modemText(zeta) + modemText(nameless) + modemText(alpha));

    const modem::ModemCatalogue catalogue = modem::listModems();
    EXPECT_EQ(catalogue.keys, (QStringList{QString(), QStringLiteral("0003"), QStringLiteral("0001"),
                                           QStringLiteral("0002")}));
    EXPECT_EQ(catalogue.models, (QStringList{QStringLiteral("Zeta 56K"), QString(), QStringLiteral("Alpha")}));

    useModems("[HKEY_LOCAL_MACHINE\\System]\n");
    EXPECT_TRUE(modem::listModems().models.isEmpty());
}

TEST_F(CatalogueTest, PortComesFromTheFirstInstanceElseAttachedTo)
{
    struct Case
    {
        const char *name;
        QByteArray attachedTo;
        QByteArray id;
        QByteArray enumEntry;
        QString port;
    };
    const QByteArray id = "USB\\VID_0572&PID_1329";
    const Case cases[] = {
        {"attached only", "COM3", {}, {}, QStringLiteral("COM3")},
        {"attached in lower case", "com3", {}, {}, QStringLiteral("com3")},
        {"instance wins", "COM3", id, enumText(id, {{"inst1", "COM7"}}), QStringLiteral("COM7")},
        {"instance in lower case", "COM3", id, enumText(id, {{"inst1", "com7"}}), QStringLiteral("com7")},
        {"first listed instance", "COM3", id,
         enumText(id, {{"b", "COM8"}, {"a", "COM9"}}), QStringLiteral("COM8")},
        {"first instance without port", "COM3", id,
         enumText(id, {{"b", {}}, {"a", "COM9"}}), QStringLiteral("COM3")},
        {"no enumeration key", "COM3", id, {}, QStringLiteral("COM3")},
        {"enumeration key without instances", "COM3", id, enumText(id, {}), QStringLiteral("COM3")},
        {"port name not a COM port", "COM3", id, enumText(id, {{"inst1", "LPT1"}}), QStringLiteral("COM3")},
        {"nothing at all", {}, {}, {}, QString()},
        {"instance not COM, none attached", {}, id, enumText(id, {{"inst1", "LPT1"}}), QString()},
        {"attached not COM", "USB1", {}, {}, QStringLiteral("USB1")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Modem m;
        m.attachedTo = c.attachedTo;
        m.matchingDeviceId = c.id;
        useModems(modemText(m) + c.enumEntry);
        const modem::ModemSelection selection = modem::selectModem(QStringLiteral("0000"));
        EXPECT_EQ(selection.portName, c.port);
        const bool usable = modem::isComPortName(c.port);
        EXPECT_EQ(selection.problem.has_value(), !usable);
        if (!usable) {
            EXPECT_EQ(*selection.problem, modem::badConfigurationReport());
            EXPECT_FALSE(selection.cidCommand);
            EXPECT_FALSE(selection.initCommand);
            EXPECT_FALSE(selection.dcb);
        }
    }
}

TEST_F(CatalogueTest, CallerIdCommandMustStartWithAt)
{
    struct Case
    {
        QByteArray cid; // null: no value
        std::optional<QString> accepted;
    };
    const Case cases[] = {
        {"AT#CID=1", QStringLiteral("AT#CID=1\r")},
        {"at#cid=1", QStringLiteral("at#cid=1\r")},
        {"aT+VCID=1", QStringLiteral("aT+VCID=1\r")},
        {{}, std::nullopt},
        {"", std::nullopt},
        {"A", std::nullopt},
        {" AT#CID=1", std::nullopt},
        {"#CID=1", std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.cid.isNull() ? "(missing)" : c.cid.constData());
        Modem m;
        m.attachedTo = "COM3";
        m.cid = c.cid;
        useModems(modemText(m));
        const modem::ModemSelection selection = modem::selectModem(QStringLiteral("0000"));
        EXPECT_EQ(selection.portName, QStringLiteral("COM3"));
        if (c.accepted) {
            EXPECT_FALSE(selection.problem);
            EXPECT_EQ(selection.cidCommand, c.accepted);
        } else {
            ASSERT_TRUE(selection.problem);
            EXPECT_EQ(*selection.problem, modem::callerIdUnsupportedReport());
            // The value read stays, as read; nothing after the check is.
            EXPECT_EQ(selection.cidCommand, QString::fromUtf8(c.cid));
            EXPECT_FALSE(selection.initCommand);
            EXPECT_FALSE(selection.dcb);
        }
    }
}

TEST(CommandNormalisation, CutsAtLowerCaseCrAndEndsWithOneCr)
{
    const QPair<QString, QString> cases[] = {
        {QStringLiteral("AT#CID=1"), QStringLiteral("AT#CID=1\r")},
        {QStringLiteral("AT#CID=1<cr>AT+VCID=1<cr>"), QStringLiteral("AT#CID=1\r")},
        {QStringLiteral("AT#CID=1<CR>AT+VCID=1"), QStringLiteral("AT#CID=1<CR>AT+VCID=1\r")},
        {QStringLiteral("AT#CID=1<Cr>"), QStringLiteral("AT#CID=1<Cr>\r")},
        {QStringLiteral("AT#CID=1\r"), QStringLiteral("AT#CID=1\r")},
        {QStringLiteral("ATZ\rATE1"), QStringLiteral("ATZ\rATE1")},
        {QStringLiteral("<cr>ATZ"), QStringLiteral("\r")},
        {QString(), QStringLiteral("\r")},
    };
    for (const auto &[in, out] : cases)
        EXPECT_EQ(modem::normaliseCommand(in), out) << in.toStdString();
}

TEST_F(CatalogueTest, InitCommandAndDcbOfAUsableModem)
{
    Modem m;
    m.attachedTo = "COM3";
    m.init = "ATZ<cr>ATE1";
    m.dcb = dcbBytes(19200, 7, 2, 2);
    useModems(modemText(m));
    modem::ModemSelection selection = modem::selectModem(QStringLiteral("0000"));
    EXPECT_EQ(selection.initCommand, QStringLiteral("ATZ\r"));
    EXPECT_EQ(selection.dcb, m.dcb);

    // No init value: a lone CR, which is not empty and so is sent. No DCB: nothing to copy.
    m.init = QByteArray();
    m.dcb = QByteArray();
    useModems(modemText(m));
    selection = modem::selectModem(QStringLiteral("0000"));
    EXPECT_FALSE(selection.problem);
    EXPECT_EQ(selection.initCommand, QStringLiteral("\r"));
    EXPECT_FALSE(selection.dcb);

    // A short value reads its missing bytes as 0; a long one gives its first 28.
    m.dcb = dcbBytes(2400, 8, 0, 0).left(6);
    useModems(modemText(m));
    selection = modem::selectModem(QStringLiteral("0000"));
    ASSERT_TRUE(selection.dcb);
    EXPECT_EQ(*selection.dcb, dcbBytes(2400, 8, 0, 0).left(6) + QByteArray(22, '\0'));
    EXPECT_EQ(modem::dcbFromValue(QByteArray(40, '\x7f')), QByteArray(28, '\x7f'));
}

TEST(SerialSettingsText, FromTheDcbFields)
{
    LocaleScope locale("C.UTF-8");
    struct Case
    {
        QByteArray dcb;
        QString text;
    };
    const Case cases[] = {
        {dcbBytes(9600, 8, 0, 0), QStringLiteral("9600,N,8,1")},
        {dcbBytes(9600, 8, 0, 1), QStringLiteral("9600,N,8,1.5")},
        {dcbBytes(9600, 8, 0, 2), QStringLiteral("9600,N,8,2")},
        {dcbBytes(115200, 7, 1, 0), QStringLiteral("115200,O,7,1")},
        {dcbBytes(2400, 7, 2, 0), QStringLiteral("2400,E,7,1")},
        {dcbBytes(2400, 8, 3, 0), QStringLiteral("2400,M,8,1")},
        {dcbBytes(2400, 8, 4, 0), QStringLiteral("2400,S,8,1")},
        {dcbBytes(4000000000u, 8, 0, 3), QStringLiteral("4000000000,N,8,2.5")},
        {dcbBytes(57600, 8, 0, 0, 19), QStringLiteral("57600,N,8,1")}, // parity, stop bits read as 0
        {dcbBytes(57600, 8, 0, 0, 6), QStringLiteral("0,N,0,1")},      // half a baud rate: 0
        {QByteArray(), QStringLiteral("0,N,0,1")},
    };
    for (const Case &c : cases)
        EXPECT_EQ(modem::serialSettingsText(c.dcb, kParity), c.text) << c.text.toStdString();
}

TEST(SerialSettingsText, HalfStopBitTakesTheUsersDecimalSeparator)
{
    LocaleScope locale("de_DE.UTF-8");
    EXPECT_EQ(modem::serialSettingsText(dcbBytes(9600, 8, 0, 1), kParity), QStringLiteral("9600,N,8,1,5"));
    EXPECT_EQ(modem::serialSettingsText(dcbBytes(9600, 8, 0, 2), kParity), QStringLiteral("9600,N,8,2"));
}

TEST(SerialSettingsText, ParityWithoutALetterFails)
{
    LocaleScope locale("C.UTF-8");
    for (quint8 parity : {5, 6, 255}) {
        EXPECT_EQ(failureNumber([&] { modem::serialSettingsText(dcbBytes(9600, 8, parity, 0), kParity); }),
                  ErrorNumber::SubscriptOutOfRange);
    }
    // Before the letters are filled in, no parity code has one.
    EXPECT_EQ(failureNumber([&] { modem::serialSettingsText(dcbBytes(9600, 8, 0, 0), {}); }),
              ErrorNumber::SubscriptOutOfRange);
}

TEST(PortNumber, TheNumberAfterCom)
{
    const QPair<QString, short> cases[] = {
        {QStringLiteral("com3"), 3},      {QStringLiteral("COM10"), 10},
        {QString(), 0},                   {QStringLiteral("COM"), 0},
        {QStringLiteral("COMx"), 0},      {QStringLiteral("COM4:"), 4},
        {QStringLiteral("COM 1 2"), 12},  {QStringLiteral("COM2.5"), 2},
        {QStringLiteral("COM3.5"), 4},    {QStringLiteral("COM3.51"), 4},
        {QStringLiteral("COM-2"), -2},    {QStringLiteral("COM1e1"), 10},
        {QStringLiteral("COM32767"), 32767}, {QStringLiteral("COM\u0663"), 0}, // Arabic-Indic 3
    };
    for (const auto &[name, number] : cases)
        EXPECT_EQ(modem::portNumber(name), number) << name.toStdString();

    for (const char *name : {"COM32768", "COM99999999999", "COM-32769", "COM1e400"})
        EXPECT_EQ(failureNumber([&] { modem::portNumber(QString::fromLatin1(name)); }),
                  ErrorNumber::Overflow)
            << name;
}

TEST(OpenFailureReport, OnlyMissingOrBusyModemsAreReported)
{
    const auto missing = modem::openFailureReport(ErrorNumber::InvalidPortNumber, false, {}, {});
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->message, QStringLiteral("Modem haven't been installed properly"));
    EXPECT_EQ(missing->detail, QStringLiteral("Please firstly make sure your modem is installed correctly."));
    EXPECT_TRUE(missing->extraLines.isEmpty());

    const auto busy = modem::openFailureReport(ErrorNumber::PortAlreadyOpen, false,
                                               QStringLiteral("Device or resource busy"), {});
    ASSERT_TRUE(busy);
    EXPECT_EQ(busy->message, QStringLiteral("Sorry , I couldn't use the modem"));
    EXPECT_EQ(busy->detail, QStringLiteral("Maybe other applications are using the modem now."));
    EXPECT_TRUE(busy->extraLines.isEmpty());

    for (int other : {0, ErrorNumber::SubscriptOutOfRange, ErrorNumber::Overflow,
                      ErrorNumber::InvalidPropertyValue, ErrorNumber::PortOpenNotValid,
                      ErrorNumber::PortNotOpen})
        EXPECT_FALSE(modem::openFailureReport(other, true, QStringLiteral("x"), {})) << other;
}

TEST(OpenFailureReport, PermissionAddsTheReasonAndTheGroupToJoin)
{
    QTemporaryDir dir;
    const QString device = dir.filePath(QStringLiteral("ttyACM0"));
    QFile(device).open(QIODevice::WriteOnly);

    const auto denied = modem::openFailureReport(ErrorNumber::PortAlreadyOpen, true,
                                                 QStringLiteral("Permission denied"), device);
    ASSERT_TRUE(denied);
    EXPECT_EQ(denied->detail, QStringLiteral("Maybe other applications are using the modem now."));
    ASSERT_EQ(denied->extraLines.size(), 1);
    const QString &line = denied->extraLines.first();
    EXPECT_TRUE(line.contains(QLatin1String("Permission denied"))) << line.toStdString();
    EXPECT_TRUE(line.contains(device)) << line.toStdString();

    // Owned by root's group: root is never named; the device goes to dialout by a udev rule.
    if (::getgid() == 0) {
        EXPECT_FALSE(line.contains(QLatin1String("adduser $USER root"))) << line.toStdString();
        EXPECT_TRUE(line.contains(QLatin1String("GROUP=\"dialout\""))) << line.toStdString();
    }
    // Owned by an ordinary group: that one is named.
    if (const group *dialout = ::getgrnam("dialout");
        dialout && ::getuid() == 0 && ::chown(QFile::encodeName(device).constData(), 0, dialout->gr_gid) == 0) {
        const QString advice = modem::permissionAdvice(QStringLiteral("Permission denied"), device);
        EXPECT_TRUE(advice.contains(QLatin1String("group \"dialout\" may: add yourself with \"sudo adduser $USER dialout\"")))
            << advice.toStdString();
    }
    // A device that is gone: the usual group.
    EXPECT_TRUE(modem::permissionAdvice({}, dir.filePath(QStringLiteral("gone"))).contains(QLatin1String("usually dialout")));

    // The system's words arrive as one plain line, bounded.
    const QString advice = modem::permissionAdvice(QStringLiteral("bad\rwords\n") + QString(500, u'x'), {});
    EXPECT_FALSE(advice.contains(QChar(13)));
    EXPECT_FALSE(advice.contains(QChar(10)));
    EXPECT_LT(advice.size(), 400);
    EXPECT_TRUE(modem::permissionAdvice({}, {}).contains(QLatin1String("Permission denied")));
}

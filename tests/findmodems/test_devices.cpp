#include "tools/findmodems/ModemManager.h"
#include "tools/findmodems/ModemProbe.h"
#include "tools/findmodems/SerialDevices.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void writeFile(const QString &path, const QByteArray &text = {})
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(text);
}

// A sysfs and /dev of our own: which ports count and what is known about them.
TEST(SerialDevices, ListsUsbPortsAndOnlyTheTtySPortsWithAUart)
{
    QTemporaryDir root;
    SystemPaths paths;
    paths.dev = root.filePath(QStringLiteral("dev"));
    paths.sys = root.filePath(QStringLiteral("sys"));
    paths.byId = root.filePath(QStringLiteral("dev/serial/by-id"));
    const QString tty = paths.sys + QStringLiteral("/class/tty/");
    const QString usbDevice = paths.sys + QStringLiteral("/devices/usb1/1-2");
    const struct
    {
        const char *name;
        bool driver;
        const char *type; // nullptr: no type file
        bool listed;
    } cases[] = {
        {"ttyACM0", false, nullptr, true},
        {"ttyUSB10", false, nullptr, true},
        {"ttyUSB3", false, nullptr, true},
        {"ttyS0", true, "4", true},   // a 16550A
        {"ttyS1", true, "0", false},  // the driver's placeholder, no UART
        {"ttyS2", false, "4", false}, // no driver bound
        {"tty5", false, nullptr, false},
        {"ttyACMx", false, nullptr, false},
    };
    for (const auto &c : cases) {
        const QString name = QLatin1String(c.name);
        writeFile(paths.dev + u'/' + name);
        QDir().mkpath(tty + name);
        if (c.driver)
            writeFile(tty + name + QStringLiteral("/device/driver/bound"));
        if (c.type)
            writeFile(tty + name + QStringLiteral("/type"), c.type);
    }
    QDir().mkpath(usbDevice + QStringLiteral("/1-2:1.0/ttyUSB3"));
    writeFile(usbDevice + QStringLiteral("/idVendor"), "0572\n");
    writeFile(usbDevice + QStringLiteral("/idProduct"), "1329\n");
    ASSERT_TRUE(QFile::link(usbDevice + QStringLiteral("/1-2:1.0/ttyUSB3"),
                            tty + QStringLiteral("ttyUSB3/device")));
    QDir().mkpath(paths.byId);
    ASSERT_TRUE(QFile::link(paths.dev + QStringLiteral("/ttyUSB3"),
                            paths.byId + QStringLiteral("/usb-Conexant_USB_Modem-if00")));

    const QList<SerialDevice> devices = listSerialDevices(paths);
    QStringList names;
    for (const SerialDevice &d : devices)
        names << d.kernelName;
    EXPECT_EQ(names, QStringList({"ttyACM0", "ttyUSB3", "ttyUSB10", "ttyS0"}));
    ASSERT_EQ(devices.size(), 4);
    EXPECT_EQ(devices[1].stablePath, paths.byId + QStringLiteral("/usb-Conexant_USB_Modem-if00"));
    EXPECT_EQ(devices[1].usbVendor, QStringLiteral("0572"));
    EXPECT_EQ(devices[1].usbProduct, QStringLiteral("1329"));
    EXPECT_EQ(devices[0].stablePath, devices[0].path); // no stable name: the node itself
    EXPECT_TRUE(devices[0].usbVendor.isEmpty());

    EXPECT_EQ(modemManagerRule(devices[1]),
              QStringLiteral("ATTRS{idVendor}==\"0572\", ATTRS{idProduct}==\"1329\", "
                             "ENV{ID_MM_DEVICE_IGNORE}=\"1\""));
    EXPECT_EQ(modemManagerRule(devices[3]),
              QStringLiteral("KERNEL==\"ttyS0\", ENV{ID_MM_DEVICE_IGNORE}=\"1\""));
}

TEST(SerialDevices, NoPortsAtAllIsAnEmptyList)
{
    QTemporaryDir root;
    SystemPaths paths;
    paths.dev = root.filePath(QStringLiteral("dev"));
    paths.sys = root.filePath(QStringLiteral("sys"));
    EXPECT_TRUE(listSerialDevices(paths).isEmpty());
}

TEST(ModemManagerCheck, FoundByItsProcessName)
{
    QTemporaryDir root;
    SystemPaths paths;
    paths.proc = root.path();
    writeFile(root.filePath(QStringLiteral("1/comm")), "systemd\n");
    writeFile(root.filePath(QStringLiteral("self/comm")), "ModemManager\n"); // not a process id
    EXPECT_FALSE(modemManagerRunning(paths));
    writeFile(root.filePath(QStringLiteral("812/comm")), "ModemManager\n");
    EXPECT_TRUE(modemManagerRunning(paths));
}

TEST(ModemProbeText, ModelNamesAreCleanShortAndFitTheRegistry)
{
    const struct
    {
        QStringList lines;
        const char *expected;
    } cases[] = {
        {{"+GMM: USR5637"}, "USR5637"},
        {{"Conexant", " HSF  56K\tData"}, "Conexant HSF 56K Data"},
        {{QString::fromLatin1("Bad\x01\x7f\xe9 bytes")}, "Bad bytes"},
        {{QString(300, u'M')}, "MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM"},
        {{}, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(cleanModelName(c.lines), QLatin1String(c.expected)) << c.lines.join('|').toStdString();
}

TEST(ModemProbeText, TheDeviceGroupIsNamed)
{
    EXPECT_EQ(modem::deviceGroup(QStringLiteral("/")), QStringLiteral("root"));
    EXPECT_TRUE(modem::deviceGroup(QStringLiteral("/no/such/device")).isEmpty());
}

} // namespace

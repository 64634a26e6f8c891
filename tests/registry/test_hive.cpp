#include "tests/registry/RegistryFixture.h"

#include "platform/Registry.h"
#include "platform/RegistryFile.h"
#include "platform/SerialPortMap.h"

#include <QDir>
#include <QRandomGenerator>

using namespace registry;

namespace {

const QByteArray kModemFile = R"(REGEDIT4

; modems as the setup tool found them
[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Modem\0000]
"Model"="US Robotics 56K \"Voice\" Modem"
"InfPath"="C:\\WINDOWS\\INF\\mdmusrk.inf"
"AttachedTo"="COM3"
"DCB"=hex:1c,00,00,00,80,25,00,00,11,33,00,00,00,00,0a,00,0a,00,08,00,00,11,13,\
  00,00,00,00,00
"MaxRate"=dword:0000e100
@="default"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Modem\0000\Settings]
"Init"="AT&F"

[HKEY_LOCAL_MACHINE\SYSTEM\currentcontrolset\SERVICES\class\MODEM\0001]
"model"="first name"
"MODEL"="Generic 33600"
)";

QByteArray valueData(const Hive &hive, const char *path, const char *name)
{
    const int key = hive.find(Hive::Top, QByteArrayView(path));
    if (key < 0)
        return "<no key>";
    const Value *v = hive.value(key, QByteArrayView(name));
    return v ? v->data : QByteArray("<no value>");
}

QByteArray modem(const char *rest)
{
    return QByteArray("HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Modem\\") +
           rest;
}

} // namespace

TEST(HiveParser, ReadsAModemClassKey)
{
    const Hive hive = parseRegistryText(kModemFile);
    const QByteArray key = modem("0000");
    EXPECT_EQ(valueData(hive, key, "Model"), QByteArray("US Robotics 56K \"Voice\" Modem\0", 30));
    EXPECT_EQ(valueData(hive, key, "infpath"), QByteArray("C:\\WINDOWS\\INF\\mdmusrk.inf\0", 27));
    EXPECT_EQ(valueData(hive, key, ""), QByteArray("default\0", 8));

    const QByteArray dcb = valueData(hive, key, "DCB");
    ASSERT_EQ(dcb.size(), 28);
    EXPECT_EQ(dcb.left(8), QByteArray::fromHex("1c00000080250000"));
    EXPECT_EQ(dcb.mid(21, 2), QByteArray::fromHex("1113"));
    EXPECT_EQ(dcb.right(5), QByteArray(5, '\0'));
    EXPECT_EQ(hive.value(hive.find(Hive::Top, key), "DCB")->type, REG_BINARY);

    const Value *rate = hive.value(hive.find(Hive::Top, key), "MaxRate");
    ASSERT_NE(rate, nullptr);
    EXPECT_EQ(rate->type, REG_DWORD);
    EXPECT_EQ(rate->data, QByteArray::fromHex("00e10000"));
}

TEST(HiveParser, NamesIgnoreCaseKeysMergeAndTheLastValueWins)
{
    const Hive hive = parseRegistryText(kModemFile);
    const int modems = hive.find(Hive::Top, modem(""));
    ASSERT_GE(modems, 0);
    // "SYSTEM\currentcontrolset\..." is the same key as "System\CurrentControlSet\...".
    ASSERT_EQ(hive.subkeys(modems).size(), 2);
    EXPECT_EQ(hive.name(hive.subkeys(modems)[0]), "0000");
    EXPECT_EQ(hive.name(hive.subkeys(modems)[1]), "0001");
    EXPECT_EQ(valueData(hive, modem("0001"), "Model"), QByteArray("Generic 33600\0", 14));
    EXPECT_EQ(hive.values(hive.find(Hive::Top, modem("0001"))).size(), 1);
    // The first spelling of a name is the one kept.
    EXPECT_EQ(hive.name(hive.find(Hive::Top, "HKEY_LOCAL_MACHINE\\SYSTEM")), "System");
}

TEST(HiveParser, AKeyNamedTwiceMergesAndKeepsItsPlace)
{
    const Hive hive = parseRegistryText("REGEDIT4\n"
                                        "[HKEY_LOCAL_MACHINE\\A\\One]\n\"x\"=\"1\"\n"
                                        "[HKEY_LOCAL_MACHINE\\A\\Two]\n"
                                        "[HKEY_LOCAL_MACHINE\\a\\ONE]\n\"y\"=\"2\"\n\"X\"=\"3\"\n"
                                        "[HKEY_LOCAL_MACHINE\\A\\Three]\n");
    const int a = hive.find(Hive::Top, "HKEY_LOCAL_MACHINE\\A");
    ASSERT_EQ(hive.subkeys(a).size(), 3);
    EXPECT_EQ(hive.name(hive.subkeys(a)[0]), "One");
    EXPECT_EQ(hive.name(hive.subkeys(a)[2]), "Three");
    const int one = hive.subkeys(a)[0];
    ASSERT_EQ(hive.values(one).size(), 2);
    EXPECT_EQ(hive.values(one)[0].name, "x");
    EXPECT_EQ(hive.values(one)[0].data, QByteArray("3\0", 2));
}

TEST(HiveParser, SkipsMalformedLinesAndLoadsTheRest)
{
    const Hive hive = parseRegistryText(R"(Windows Registry Editor Version 5.00
"orphan"="before any key"
[HKEY_LOCAL_MACHINE\K]
"good1"="a"
"unterminated=1
"bad dword"=dword:123456789
"bad hex"=hex:01,zz,\
  02,03
"good2"="b" ; a comment after the data
"trailing"="c" junk
noise without quotes
"no equals" "x"
"good3"=hex:01,02,
[HKEY_LOCAL_MACHINE\Unclosed
"lost"="goes to K"
[HKEY_NOWHERE\Key]
"nowhere"="skipped"
[HKEY_LOCAL_MACHINE\K]
"good4"=dword:1
)");
    const int k = hive.find(Hive::Top, "HKEY_LOCAL_MACHINE\\K");
    ASSERT_GE(k, 0);
    QList<QByteArray> names;
    for (const Value &v : hive.values(k))
        names.append(v.name);
    EXPECT_EQ(names, (QList<QByteArray>{"good1", "good2", "good3", "good4"}));
    EXPECT_EQ(hive.value(k, "good3")->data, QByteArray::fromHex("0102"));
    EXPECT_EQ(hive.subkeys(hive.find(Hive::Top, "HKEY_LOCAL_MACHINE")).size(), 1);
    EXPECT_EQ(hive.find(Hive::Top, "HKEY_NOWHERE"), -1);
}

TEST(HiveParser, ReadsByteOrderMarksLineEndsAndDeletions)
{
    const Hive crlf = parseRegistryText("\xef\xbb\xbfREGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n"
                                        "\"v\"=hex:01,\\\r\n  02\r\n\"gone\"=\"x\"\r\n"
                                        "\"gone\"=-\r\n[HKEY_LOCAL_MACHINE\\K\\Sub]\r\n"
                                        "[-HKEY_LOCAL_MACHINE\\K\\Sub]\r\n");
    const int k = crlf.find(Hive::Top, "HKEY_LOCAL_MACHINE\\K");
    ASSERT_GE(k, 0);
    EXPECT_EQ(crlf.value(k, "v")->data, QByteArray::fromHex("0102"));
    EXPECT_EQ(crlf.value(k, "gone"), nullptr);
    EXPECT_TRUE(crlf.subkeys(k).isEmpty());

    // A file saved by the Windows registry editor: UTF-16 with its mark, and string
    // values in hex(2) form held as UTF-16 too.
    const QString text = QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                                        "[HKEY_LOCAL_MACHINE\\Käse]\r\n\"Name\"=\"Grüße\"\r\n"
                                        "\"Path\"=hex(2):25,00,41,00,00,00\r\n");
    QByteArray utf16("\xff\xfe");
    utf16.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    const Hive windows = parseRegistryText(utf16);
    const int kase = windows.find(Hive::Top, QByteArrayView("HKEY_LOCAL_MACHINE\\KÄSE"));
    ASSERT_GE(kase, 0);
    EXPECT_EQ(windows.value(kase, "name")->data, QByteArray("Grüße\0", 8));
    EXPECT_EQ(windows.value(kase, "Path")->type, REG_EXPAND_SZ);
    EXPECT_EQ(windows.value(kase, "Path")->data, QByteArray("%A\0", 3));
}

TEST(HiveParser, RefusesKeysDeeperOrLongerThanWindowsAllows)
{
    QByteArray deep = "[HKEY_LOCAL_MACHINE";
    for (int i = 0; i < 200000; ++i)
        deep.append("\\k");
    const Hive tooDeep = parseRegistryText(deep + "]\n\"v\"=\"x\"\n");
    EXPECT_TRUE(tooDeep.isEmpty());

    QByteArray ok = "[HKEY_LOCAL_MACHINE";
    for (int i = 0; i < 512; ++i)
        ok.append("\\k");
    EXPECT_FALSE(parseRegistryText(ok + "]\n").isEmpty());

    const QByteArray longName(256, 'n');
    EXPECT_TRUE(parseRegistryText("[HKEY_LOCAL_MACHINE\\" + longName + "]\n").isEmpty());
    EXPECT_FALSE(parseRegistryText("[HKEY_LOCAL_MACHINE\\" + longName.left(255) + "]\n").isEmpty());
}

TEST(HiveParser, SurvivesMangledFilesAndWritesWhatItReadsBackUnchanged)
{
    // Random damage to a realistic file: whatever loads must write out as text that
    // loads to the very same hive.
    QRandomGenerator random(20021013);
    for (int round = 0; round < 400; ++round) {
        QByteArray text = kModemFile;
        const int edits = 1 + random.bounded(12);
        for (int e = 0; e < edits; ++e) {
            const int at = random.bounded(int(text.size()));
            switch (random.bounded(3)) {
            case 0:
                text[at] = char(random.bounded(256));
                break;
            case 1:
                text.remove(at, random.bounded(8));
                break;
            default:
                text.insert(at, "\\\n[\"=\0;@"[random.bounded(8)]);
            }
        }
        const QByteArray written = toRegistryText(parseRegistryText(text));
        ASSERT_EQ(toRegistryText(parseRegistryText(written)), written) << text.toStdString();
    }
}

TEST(HiveWriter, RoundTripsEveryKindOfValue)
{
    Hive hive;
    const int top = hive.findOrAdd(Hive::Top, kLocalMachine);
    const int key = hive.findOrAdd(hive.findOrAdd(top, "Some Key"), "Ünder");
    hive.setValue(key, "", REG_SZ, QByteArray("default\0", 8));
    hive.setValue(key, "quote \" and \\", REG_SZ, QByteArray("C:\\x \"y\"\0", 10));
    hive.setValue(key, "two lines", REG_SZ, QByteArray("a\nb\0", 4));
    hive.setValue(key, "no nul", REG_SZ, QByteArray("abc"));
    hive.setValue(key, "dword", REG_DWORD, QByteArray::fromHex("78563412"));
    hive.setValue(key, "short dword", REG_DWORD, QByteArray::fromHex("78"));
    hive.setValue(key, "binary", REG_BINARY, QByteArray(60, '\0') + "\xff\x01");
    hive.setValue(key, "empty binary", REG_BINARY, QByteArray());
    hive.setValue(key, "multi", REG_MULTI_SZ, QByteArray("a\0b\0\0", 5));
    hive.setValue(key, "not utf-8", REG_EXPAND_SZ, QByteArray("\xff\xfe\0", 3));
    hive.findOrAdd(top, "Empty");

    const QByteArray text = toRegistryText(hive);
    const Hive back = parseRegistryText(text);
    EXPECT_EQ(toRegistryText(back), text);
    const int again = back.find(Hive::Top, QByteArrayView("HKEY_LOCAL_MACHINE\\some key\\Ünder"));
    ASSERT_GE(again, 0);
    ASSERT_EQ(back.values(again).size(), hive.values(key).size());
    for (qsizetype i = 0; i < hive.values(key).size(); ++i) {
        const Value &want = hive.values(key)[i];
        const Value &got = back.values(again)[i];
        EXPECT_EQ(got.name, want.name);
        EXPECT_EQ(got.type, want.type) << want.name.toStdString();
        EXPECT_EQ(got.data, want.data) << want.name.toStdString();
    }
    EXPECT_GE(back.find(Hive::Top, "HKEY_LOCAL_MACHINE\\Empty"), 0);
}

using RegistryFile = RegistryFixture;

TEST_F(RegistryFile, IsChosenByTheEnvironment)
{
    const QByteArray savedXdg = qgetenv("XDG_CONFIG_HOME");
    const bool xdgSet = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    qunsetenv("RINGVANE_REGISTRY");
    qputenv("XDG_CONFIG_HOME", m_dir.path().toUtf8());
    const QString user = m_dir.filePath(QStringLiteral("ringvane/registry.reg"));
    EXPECT_EQ(userRegistryFilePath(), user);
    EXPECT_EQ(registryFilePath(), QStringLiteral("/etc/ringvane/registry.reg"));
    QDir(m_dir.path()).mkpath(QStringLiteral("ringvane"));
    writeFile(QStringLiteral("ringvane/registry.reg"), "REGEDIT4\n");
    EXPECT_EQ(registryFilePath(), user);
    qputenv("RINGVANE_REGISTRY", "/somewhere/else.reg");
    EXPECT_EQ(registryFilePath(), QStringLiteral("/somewhere/else.reg"));
    qputenv("XDG_CONFIG_HOME", "relative/path");
    EXPECT_EQ(userRegistryFilePath(),
              QDir::homePath() + QStringLiteral("/.config/ringvane/registry.reg"));
    if (xdgSet)
        qputenv("XDG_CONFIG_HOME", savedXdg);
    else
        qunsetenv("XDG_CONFIG_HOME");
}

TEST_F(RegistryFile, MissingOrUnreadableGivesAnEmptyHive)
{
    for (const QString &path : {m_dir.filePath(QStringLiteral("none.reg")), m_dir.path()}) {
        qputenv("RINGVANE_REGISTRY", path.toUtf8());
        reloadRegistry();
        EXPECT_TRUE(currentHive()->isEmpty());
        HKEY key = reinterpret_cast<HKEY>(1);
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System", 0, KEY_READ, &key),
                  ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(key, nullptr);
    }
}

TEST_F(RegistryFile, IsWrittenWholeAndReadBack)
{
    const Hive hive = parseRegistryText(kModemFile);
    const QString path = m_dir.filePath(QStringLiteral("new/folder/registry.reg"));
    const Result<void> written = writeRegistryFile(path, hive);
    ASSERT_TRUE(written) << written.errorString().toStdString();
    qputenv("RINGVANE_REGISTRY", path.toUtf8());
    reloadRegistry();
    EXPECT_EQ(toRegistryText(*currentHive()), toRegistryText(hive));

    const Result<void> refused = writeRegistryFile(QStringLiteral("/proc/no/such/registry.reg"), hive);
    EXPECT_FALSE(refused);
    EXPECT_FALSE(refused.errorString().isEmpty());
}

TEST_F(RegistryFile, SerialPortMapNamesDevicesByPort)
{
    useRegistry(R"(REGEDIT4
[HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM]
"/dev/ttyACM0"="COM3"
"/dev/serial/by-id/usb-U.S.Robotics_USB_Modem-if00"="com4"
"/dev/ttyUSB0"="COM4"
"/dev/ttyS9"=dword:00000005
)");
    EXPECT_EQ(serialDevicePath(3), QStringLiteral("/dev/ttyACM0"));
    EXPECT_EQ(serialDevicePath(4),
              QStringLiteral("/dev/serial/by-id/usb-U.S.Robotics_USB_Modem-if00"));
    EXPECT_EQ(serialDevicePath(1), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(serialDevicePath(5), QStringLiteral("/dev/ttyS4"));

    useRegistry("REGEDIT4\n");
    EXPECT_EQ(serialDevicePath(3), QStringLiteral("/dev/ttyS2"));
}

TEST(HiveParser, ManyDeletionsCostNoMoreThanTheirLines)
{
    // Each deletion once moved every value behind it: quadratic in the file's length.
    QByteArray text = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n";
    for (int i = 0; i < 40000; ++i)
        text += "\"v" + QByteArray::number(i) + "\"=\"\"\n[HKEY_LOCAL_MACHINE\\K\\s" +
                QByteArray::number(i) + "]\n[HKEY_LOCAL_MACHINE\\K]\n";
    for (int i = 0; i < 39999; ++i)
        text += "\"v" + QByteArray::number(i) + "\"=-\n[-HKEY_LOCAL_MACHINE\\K\\s" +
                QByteArray::number(i) + "]\n[HKEY_LOCAL_MACHINE\\K]\n";
    const Hive hive = parseRegistryText(text);
    const int k = hive.find(Hive::Top, "HKEY_LOCAL_MACHINE\\K");
    ASSERT_EQ(hive.values(k).size(), 1);
    EXPECT_EQ(hive.values(k)[0].name, "v39999");
    EXPECT_EQ(hive.value(k, "V39999"), &hive.values(k)[0]);
    ASSERT_EQ(hive.subkeys(k).size(), 1);
    EXPECT_EQ(hive.name(hive.subkeys(k)[0]), "s39999");
}

#include "tests/registry/RegistryFixture.h"

#include "platform/Registry.h"
#include "modem/RegistryAccess.h"

namespace {

class RegistryAccessTest : public RegistryFixture
{
protected:
    void SetUp() override
    {
        RegistryFixture::SetUp();
        const QByteArray longName(250, 'L');
        QByteArray text = R"(REGEDIT4
"RootValue"="at the top"
[HKEY_LOCAL_MACHINE]
"RootValue"="at the top"
[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Modem\0000]
"Model"="US Robotics 56K Voice"
"DCB"=hex:1c,00,00,00,80,25,00,00,11,33,00,00,00,00,0a,00,0a,00,08,00,00,11,13,\
  00,00,00,00,00
"Rate"=dword:0000e100
"Empty"=""
[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Modem\)" +
                          longName + R"(]
[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Modem\)" +
                          longName.left(249) + R"(]
[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Modem\0001]
"Model"="Generic 33600"
[HKEY_LOCAL_MACHINE\Texts]
)";
        text += "\"149\"=\"" + QByteArray(149, 'a') + "\"\n";
        text += "\"150\"=\"" + QByteArray(150, 'b') + "\"\n";
        text += "\"250\"=hex:" + QByteArray("00,").repeated(249) + "ff\n";
        text += "\"251\"=hex:" + QByteArray("00,").repeated(250) + "ff\n";
        useRegistry(text);
    }
    void TearDown() override
    {
        // Every helper closes every key it opened, whatever the outcome.
        EXPECT_EQ(registryOpenHandleCount(), 0);
        RegistryFixture::TearDown();
    }
};

const QString kModems = QStringLiteral("System\\CurrentControlSet\\Services\\Class\\Modem\\");

} // namespace

TEST_F(RegistryAccessTest, ListsSubkeysFromIndexOne)
{
    QStringList names{QStringLiteral("stale")};
    EnumRegSubKeys(kModems, names);
    // The 250-character name does not fit the buffer and is skipped; 249 does.
    EXPECT_EQ(names, (QStringList{QString(), QStringLiteral("0000"), QString(249, QLatin1Char('L')),
                                  QStringLiteral("0001")}));

    // The text after the last "\" is ignored: the parent's subkeys are listed.
    QStringList same;
    EnumRegSubKeys(kModems + QStringLiteral("ignored"), same);
    EXPECT_EQ(same, names);
}

TEST_F(RegistryAccessTest, ListsOnlyTheEmptyTextWhenThereIsNothing)
{
    for (const QString &path :
         {kModems + QStringLiteral("0001\\"), QStringLiteral("System\\NoSuchKey\\"),
          QStringLiteral("NoSlash"), QString()}) {
        QStringList names{QStringLiteral("stale"), QStringLiteral("more")};
        EnumRegSubKeys(path, names);
        if (path.isEmpty() || path == QLatin1String("NoSlash")) {
            // the walk stays at HKEY_LOCAL_MACHINE, which lists its own keys
            EXPECT_EQ(names,
                      (QStringList{QString(), QStringLiteral("System"), QStringLiteral("Texts")}));
        } else {
            EXPECT_EQ(names, QStringList{QString()}) << path.toStdString();
        }
    }
}

TEST_F(RegistryAccessTest, ReadsTextValues)
{
    const struct
    {
        QString path;
        QString expected;
    } cases[] = {
        {kModems + QStringLiteral("0000\\Model"), QStringLiteral("US Robotics 56K Voice")},
        {kModems + QStringLiteral("0001\\MODEL"), QStringLiteral("Generic 33600")},
        {QStringLiteral("RootValue"), QStringLiteral("at the top")}, // no "\" at all
        {kModems + QStringLiteral("0000\\"), QString()},             // no value name
        {kModems + QStringLiteral("0000\\Empty"), QString()},
        {kModems + QStringLiteral("0000\\Missing"), QString()},
        {QStringLiteral("System\\Nowhere\\Model"), QString()},
        {QStringLiteral("Texts\\149"), QString(149, QLatin1Char('a'))},
        {QStringLiteral("Texts\\150"), QString()}, // 151 bytes with the NUL
    };
    for (const auto &c : cases)
        EXPECT_EQ(GetRegString(c.path), c.expected) << c.path.toStdString();
}

TEST_F(RegistryAccessTest, ReadsBinaryValues)
{
    const QByteArray dcb = GetRegBinary(kModems + QStringLiteral("0000\\DCB"));
    ASSERT_EQ(dcb.size(), 28);
    EXPECT_EQ(dcb.left(8), QByteArray::fromHex("1c00000080250000"));
    EXPECT_EQ(GetRegBinary(kModems + QStringLiteral("0000\\Rate")),
              QByteArray::fromHex("00e10000"));

    const QByteArray full = GetRegBinary(QStringLiteral("Texts\\250"));
    ASSERT_EQ(full.size(), 250);
    EXPECT_EQ(full.back(), '\xff');
    EXPECT_TRUE(GetRegBinary(QStringLiteral("Texts\\251")).isEmpty());
    EXPECT_TRUE(GetRegBinary(kModems + QStringLiteral("0000\\")).isEmpty());
    EXPECT_TRUE(GetRegBinary(QStringLiteral("Nowhere\\DCB")).isEmpty());
}

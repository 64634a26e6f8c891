#include "tests/registry/RegistryFixture.h"

#include "platform/Registry.h"

#include <array>
#include <cstring>

namespace {

class RegFunctions : public RegistryFixture
{
protected:
    void SetUp() override
    {
        RegistryFixture::SetUp();
        useRegistry(R"(REGEDIT4
[HKEY_LOCAL_MACHINE\Software\Ringvane]
"Text"="abc"
"Number"=dword:00000102
"Bytes"=hex:01,02,03
@="default"
[HKEY_LOCAL_MACHINE\Software\Ringvane\Beta]
[HKEY_LOCAL_MACHINE\Software\Ringvane\Alpha]
[HKEY_LOCAL_MACHINE\Software\Ringvane\Gamma0123]
)");
    }
    void TearDown() override
    {
        EXPECT_EQ(registryOpenHandleCount(), 0);
        RegistryFixture::TearDown();
    }

    HKEY open(const char *path, REGSAM access = KEY_READ)
    {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, access, &key), ERROR_SUCCESS) << path;
        return key;
    }
};

} // namespace

TEST_F(RegFunctions, OpenFollowsPathsWithoutRegardToCase)
{
    HKEY key = open("SOFTWARE\\ringvane\\BETA");
    ASSERT_NE(key, nullptr);
    HKEY same = nullptr;
    EXPECT_EQ(RegOpenKeyExA(key, nullptr, 0, KEY_READ, &same), ERROR_SUCCESS);
    EXPECT_NE(same, key);
    EXPECT_EQ(RegCloseKey(same), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);

    HKEY missing = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Nobody", 0, KEY_READ, &missing),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(missing, nullptr);
}

TEST_F(RegFunctions, RefusesEveryWriteRight)
{
    const struct
    {
        REGSAM access;
        LONG result;
    } cases[] = {
        {KEY_READ, ERROR_SUCCESS},
        {KEY_QUERY_VALUE, ERROR_SUCCESS},
        {KEY_ENUMERATE_SUB_KEYS, ERROR_SUCCESS},
        {0, ERROR_SUCCESS},
        {KEY_SET_VALUE, ERROR_ACCESS_DENIED},
        {KEY_CREATE_SUB_KEY, ERROR_ACCESS_DENIED},
        {KEY_CREATE_LINK, ERROR_ACCESS_DENIED},
        {0x3F, ERROR_ACCESS_DENIED},
        {KEY_WRITE, ERROR_ACCESS_DENIED},
        {KEY_ALL_ACCESS, ERROR_ACCESS_DENIED},
    };
    for (const auto &c : cases) {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, c.access, &key), c.result)
            << std::hex << c.access;
        EXPECT_EQ(key != nullptr, c.result == ERROR_SUCCESS);
        if (key)
            RegCloseKey(key);
    }
}

TEST_F(RegFunctions, EnumerationFollowsFileOrderAndBufferSizes)
{
    HKEY key = open("Software\\Ringvane");
    std::array<char, 64> name{};
    std::array<char, 8> className{'x', 'x'};
    DWORD classLength = className.size();
    FILETIME written{1, 1};

    const struct
    {
        DWORD index;
        DWORD bufferSize;
        LONG result;
        const char *name;
    } cases[] = {
        {0, 64, ERROR_SUCCESS, "Beta"},
        {1, 6, ERROR_SUCCESS, "Alpha"},   // exactly the name and its NUL
        {1, 5, ERROR_MORE_DATA, nullptr}, // no room for the NUL
        {2, 64, ERROR_SUCCESS, "Gamma0123"},
        {3, 64, ERROR_NO_MORE_ITEMS, nullptr},
        {99, 64, ERROR_NO_MORE_ITEMS, nullptr},
    };
    for (const auto &c : cases) {
        DWORD length = c.bufferSize;
        EXPECT_EQ(RegEnumKeyExA(key, c.index, name.data(), &length, nullptr, className.data(),
                                &classLength, &written),
                  c.result)
            << c.index << "/" << c.bufferSize;
        if (c.name) {
            EXPECT_STREQ(name.data(), c.name);
            EXPECT_EQ(length, std::strlen(c.name));
            EXPECT_EQ(classLength, 0u);
            EXPECT_EQ(className[0], '\0');
        }
    }
    RegCloseKey(key);

    HKEY queryOnly = open("Software\\Ringvane", KEY_QUERY_VALUE);
    DWORD length = name.size();
    EXPECT_EQ(RegEnumKeyExA(queryOnly, 0, name.data(), &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_ACCESS_DENIED);
    RegCloseKey(queryOnly);
}

TEST_F(RegFunctions, QueryReportsTypesAndSizesWithTheNul)
{
    HKEY key = open("Software\\Ringvane", KEY_QUERY_VALUE);
    const struct
    {
        const char *value;
        DWORD bufferSize;
        LONG result;
        DWORD type;
        DWORD size;
        QByteArray data;
    } cases[] = {
        {"Text", 4, ERROR_SUCCESS, REG_SZ, 4, QByteArray("abc\0", 4)},
        {"text", 3, ERROR_MORE_DATA, REG_SZ, 4, {}},
        {"Number", 4, ERROR_SUCCESS, REG_DWORD, 4, QByteArray::fromHex("02010000")},
        {"Bytes", 16, ERROR_SUCCESS, REG_BINARY, 3, QByteArray::fromHex("010203")},
        {nullptr, 16, ERROR_SUCCESS, REG_SZ, 8, QByteArray("default\0", 8)},
        {"", 16, ERROR_SUCCESS, REG_SZ, 8, QByteArray("default\0", 8)},
        {"Missing", 16, ERROR_FILE_NOT_FOUND, REG_NONE, 16, {}},
    };
    for (const auto &c : cases) {
        std::array<BYTE, 16> data{};
        DWORD type = REG_NONE;
        DWORD size = c.bufferSize;
        EXPECT_EQ(RegQueryValueExA(key, c.value, nullptr, &type, data.data(), &size), c.result)
            << (c.value ? c.value : "(default)");
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(size, c.size);
        if (c.result == ERROR_SUCCESS) {
            EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(data.data()), size), c.data);
        }
    }
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 4u);
    RegCloseKey(key);

    HKEY enumOnly = open("Software\\Ringvane", KEY_ENUMERATE_SUB_KEYS);
    EXPECT_EQ(RegQueryValueExA(enumOnly, "Text", nullptr, nullptr, nullptr, &size),
              ERROR_ACCESS_DENIED);
    RegCloseKey(enumOnly);
}

TEST_F(RegFunctions, OpenKeysOutliveAReload)
{
    HKEY key = open("Software\\Ringvane", KEY_QUERY_VALUE);
    useRegistry("REGEDIT4\n");
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 4u);
    RegCloseKey(key);
    HKEY gone = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &gone),
              ERROR_FILE_NOT_FOUND);
}

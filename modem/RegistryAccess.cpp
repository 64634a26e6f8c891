#include "modem/RegistryAccess.h"

#include "platform/Registry.h"

#include <QList>

#include <array>

namespace {

constexpr DWORD kNameBufferSize = 250;
constexpr DWORD kClassBufferSize = 250;
constexpr DWORD kTextBufferSize = 150;
constexpr DWORD kBinaryBufferSize = 251;
constexpr DWORD kBinaryOffered = 250;
// A key that fails every index (deleted while listed) would otherwise be walked forever.
constexpr int kMaxFailuresInARow = 16;

// The keys opened on the way down a path; closes them, deepest first, when it goes.
class KeyChain
{
public:
    KeyChain(const QString &path, REGSAM access)
    {
        const QByteArray bytes = path.toUtf8();
        qsizetype start = 0;
        for (;;) {
            const qsizetype slash = bytes.indexOf('\\', start);
            if (slash < 0)
                break;
            const QByteArray name = bytes.mid(start, slash - start);
            HKEY opened = nullptr;
            if (RegOpenKeyExA(deepest(), name.constData(), 0, access, &opened) != ERROR_SUCCESS ||
                !opened) {
                m_failed = true;
                return;
            }
            m_keys.append(opened);
            start = slash + 1;
        }
        m_rest = bytes.mid(start);
    }
    ~KeyChain()
    {
        for (auto it = m_keys.crbegin(); it != m_keys.crend(); ++it)
            RegCloseKey(*it);
    }
    KeyChain(const KeyChain &) = delete;
    KeyChain &operator=(const KeyChain &) = delete;

    bool failed() const { return m_failed; }
    HKEY deepest() const { return m_keys.isEmpty() ? HKEY_LOCAL_MACHINE : m_keys.last(); }
    const QByteArray &rest() const { return m_rest; }

private:
    QList<HKEY> m_keys;
    QByteArray m_rest;
    bool m_failed = false;
};

} // namespace

void EnumRegSubKeys(const QString &path, QStringList &names)
{
    names = QStringList{QString()};
    // Read rights only: the hive, like HKEY_LOCAL_MACHINE for an ordinary user, refuses
    // any open that asks to write.
    const KeyChain chain(path, KEY_READ);
    if (chain.failed())
        return;
    int failuresInARow = 0;
    for (DWORD index = 0;; ++index) {
        std::array<char, kNameBufferSize> name{};
        std::array<char, kClassBufferSize> className{};
        DWORD nameLength = kNameBufferSize;
        DWORD classLength = kClassBufferSize;
        FILETIME written{};
        const LONG result = RegEnumKeyExA(chain.deepest(), index, name.data(), &nameLength, nullptr,
                                          className.data(), &classLength, &written);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result == ERROR_SUCCESS && nameLength != 0)
            names.append(QString::fromUtf8(name.data(), qstrnlen(name.data(), name.size())));
        // A name too long for the buffer is one entry skipped; other errors in a row mean
        // the listing cannot go on.
        if (result == ERROR_SUCCESS || result == ERROR_MORE_DATA)
            failuresInARow = 0;
        else if (++failuresInARow == kMaxFailuresInARow)
            break;
    }
}

QString GetRegString(const QString &path)
{
    const KeyChain chain(path, KEY_QUERY_VALUE);
    if (chain.failed() || chain.rest().isEmpty())
        return {};
    std::array<char, kTextBufferSize> buffer{};
    DWORD type = REG_SZ;
    DWORD size = kTextBufferSize;
    if (RegQueryValueExA(chain.deepest(), chain.rest().constData(), nullptr, &type,
                         reinterpret_cast<LPBYTE>(buffer.data()), &size) != ERROR_SUCCESS ||
        size == 0)
        return {};
    return QString::fromUtf8(buffer.data(), qsizetype(size) - 1);
}

QByteArray GetRegBinary(const QString &path)
{
    const KeyChain chain(path, KEY_QUERY_VALUE);
    if (chain.failed() || chain.rest().isEmpty())
        return {};
    std::array<char, kBinaryBufferSize> buffer{};
    DWORD type = REG_BINARY;
    DWORD size = kBinaryOffered;
    if (RegQueryValueExA(chain.deepest(), chain.rest().constData(), nullptr, &type,
                         reinterpret_cast<LPBYTE>(buffer.data()), &size) != ERROR_SUCCESS)
        return {};
    return QByteArray(buffer.data(), size);
}

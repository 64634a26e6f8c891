#include "platform/Registry.h"

#include "platform/RegistryFile.h"

#include <QHash>

#include <cstring>
#include <mutex>

namespace {

// An open key keeps the hive it was opened in, so a reload never pulls keys from under it.
struct OpenKey
{
    std::shared_ptr<const registry::Hive> hive;
    int key;
    REGSAM rights;
};

constexpr REGSAM kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK |
                                DELETE_ACCESS | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                                GENERIC_ALL;
constexpr REGSAM kAllReadRights = KEY_READ | GENERIC_READ;
constexpr std::uintptr_t kFirstHandle = 0x1000;

std::mutex g_mutex;
QHash<std::uintptr_t, OpenKey> g_open;
std::uintptr_t g_nextHandle = kFirstHandle;

std::optional<OpenKey> lookup(HKEY key)
{
    if (key == HKEY_LOCAL_MACHINE) {
        auto hive = registry::currentHive();
        const int root = hive->child(registry::Hive::Top, registry::kLocalMachine);
        return OpenKey{std::move(hive), root, kAllReadRights};
    }
    std::lock_guard lock(g_mutex);
    const auto it = g_open.constFind(reinterpret_cast<std::uintptr_t>(key));
    if (it == g_open.cend())
        return std::nullopt;
    return *it;
}

bool mayQuery(REGSAM rights)
{
    return rights & (KEY_QUERY_VALUE | GENERIC_READ | MAXIMUM_ALLOWED);
}

bool mayEnumerate(REGSAM rights)
{
    return rights & (KEY_ENUMERATE_SUB_KEYS | GENERIC_READ | MAXIMUM_ALLOWED);
}

} // namespace

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD /*options*/, REGSAM desired, PHKEY result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    const auto parent = lookup(key);
    if (!parent)
        return ERROR_INVALID_HANDLE;
    if (desired & kWriteRights)
        return ERROR_ACCESS_DENIED;
    // The root key is missing when the hive is empty; nothing can be opened below it then.
    if (parent->key < 0)
        return ERROR_FILE_NOT_FOUND;
    const int found =
        subKey ? parent->hive->find(parent->key, QByteArrayView(subKey)) : parent->key;
    if (found < 0)
        return ERROR_FILE_NOT_FOUND;

    std::lock_guard lock(g_mutex);
    std::uintptr_t handle = g_nextHandle;
    while (handle < kFirstHandle || g_open.contains(handle))
        ++handle;
    g_nextHandle = handle + 1;
    g_open.insert(handle, OpenKey{parent->hive, found, desired});
    *result = reinterpret_cast<HKEY>(handle);
    return ERROR_SUCCESS;
}

LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD reserved,
                   LPSTR className, LPDWORD classLength, PFILETIME lastWriteTime)
{
    if (!name || !nameLength || reserved || (className && !classLength))
        return ERROR_INVALID_PARAMETER;
    const auto open = lookup(key);
    if (!open)
        return ERROR_INVALID_HANDLE;
    if (!mayEnumerate(open->rights))
        return ERROR_ACCESS_DENIED;
    if (open->key < 0)
        return ERROR_NO_MORE_ITEMS;
    const QList<int> &subkeys = open->hive->subkeys(open->key);
    if (index >= DWORD(subkeys.size()))
        return ERROR_NO_MORE_ITEMS;
    const QByteArray &found = open->hive->name(subkeys[index]);
    if (DWORD(found.size()) >= *nameLength)
        return ERROR_MORE_DATA;
    std::memcpy(name, found.constData(), found.size());
    name[found.size()] = '\0';
    *nameLength = DWORD(found.size());
    // Keys here have no class name and no time of last change.
    if (className && *classLength > 0)
        className[0] = '\0';
    if (classLength)
        *classLength = 0;
    if (lastWriteTime)
        *lastWriteTime = FILETIME{0, 0};
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataSize)
{
    if (reserved || (data && !dataSize))
        return ERROR_INVALID_PARAMETER;
    const auto open = lookup(key);
    if (!open)
        return ERROR_INVALID_HANDLE;
    if (!mayQuery(open->rights))
        return ERROR_ACCESS_DENIED;
    const registry::Value *value =
        open->key < 0 ? nullptr
                      : open->hive->value(open->key, QByteArrayView(valueName ? valueName : ""));
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = value->type;
    const DWORD size = DWORD(value->data.size());
    if (!dataSize)
        return ERROR_SUCCESS;
    if (data && *dataSize < size) {
        *dataSize = size;
        return ERROR_MORE_DATA;
    }
    if (data)
        std::memcpy(data, value->data.constData(), size);
    *dataSize = size;
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key)
{
    if (key == HKEY_LOCAL_MACHINE)
        return ERROR_SUCCESS;
    std::lock_guard lock(g_mutex);
    return g_open.remove(reinterpret_cast<std::uintptr_t>(key)) ? ERROR_SUCCESS
                                                                : ERROR_INVALID_HANDLE;
}

int registryOpenHandleCount()
{
    std::lock_guard lock(g_mutex);
    return int(g_open.size());
}

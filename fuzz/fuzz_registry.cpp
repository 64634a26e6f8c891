// The registry-file parser on arbitrary bytes, and the round trip: what it read, written
// out and read again, is the same hive, and writing that gives the same text.
#include "fuzz/FuzzCheck.h"
#include "platform/RegistryFile.h"

#include <cstddef>
#include <cstdint>

namespace {

using registry::Hive;

// Same keys with the same names in the same order, each with the same values in order.
bool sameTree(const Hive &a, int keyA, const Hive &b, int keyB)
{
    QList<std::pair<int, int>> stack{{keyA, keyB}};
    while (!stack.isEmpty()) {
        const auto [x, y] = stack.takeLast();
        if (a.name(x) != b.name(y))
            return false;
        const QList<registry::Value> &valuesA = a.values(x);
        const QList<registry::Value> &valuesB = b.values(y);
        if (valuesA.size() != valuesB.size())
            return false;
        for (qsizetype i = 0; i < valuesA.size(); ++i) {
            if (valuesA[i].name != valuesB[i].name || valuesA[i].type != valuesB[i].type ||
                valuesA[i].data != valuesB[i].data)
                return false;
        }
        const QList<int> &childrenA = a.subkeys(x);
        const QList<int> &childrenB = b.subkeys(y);
        if (childrenA.size() != childrenB.size())
            return false;
        for (qsizetype i = 0; i < childrenA.size(); ++i)
            stack.append({childrenA[i], childrenB[i]});
    }
    return true;
}

// Every listed key can be found again by its path, and values by their names.
void checkLookups(const Hive &hive)
{
    QList<int> stack(hive.subkeys(Hive::Top));
    while (!stack.isEmpty()) {
        const int key = stack.takeLast();
        FUZZ_CHECK(hive.find(Hive::Top, hive.path(key)) == key);
        for (const registry::Value &v : hive.values(key))
            FUZZ_CHECK(hive.value(key, v.name) == &v);
        stack.append(hive.subkeys(key));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const Hive first =
        registry::parseRegistryText(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    checkLookups(first);

    const QByteArray text = registry::toRegistryText(first);
    const Hive second = registry::parseRegistryText(text);
    FUZZ_CHECK(sameTree(first, Hive::Top, second, Hive::Top));
    FUZZ_CHECK(registry::toRegistryText(second) == text);
    return 0;
}

#pragma once

#include "failure/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <memory>
#include <utility>

// This system has no registry, so the key tree the program reads comes from a text file
// in the registry-export format. A Hive is that tree in memory; keys sit in one flat
// list so that no depth of nesting can exhaust the stack. Public for the tools that write
// the file (ringvane-find-modems); the program itself reads keys through Registry.h.
namespace registry {

struct Value
{
    QByteArray name; // empty for the key's default value
    quint32 type = 0;
    QByteArray data; // as the "A" functions hand it out: strings are UTF-8 with their NUL
};

class Hive
{
public:
    static constexpr int Top = 0; // above the root keys (HKEY_LOCAL_MACHINE, ...)

    Hive();

    // Key and value names compare without regard to case; -1 when there is none.
    int child(int key, QByteArrayView name) const;
    // Follows names joined by "\" from key; empty names between separators are skipped.
    int find(int key, QByteArrayView path) const;
    int findOrAdd(int key, const QByteArray &name);
    const QList<int> &subkeys(int key) const { return m_keys[key].children; }
    const QByteArray &name(int key) const { return m_keys[key].name; }
    int parent(int key) const { return m_keys[key].parent; }
    // Removes the key and everything below it from the tree.
    void remove(int key);

    // Between these two, removals only mark what goes and endBatch() sweeps it all at
    // once, so a file full of deletions costs no more than its length.
    void beginBatch() { m_batch = true; }
    void endBatch();

    const QList<Value> &values(int key) const { return m_keys[key].values; }
    const Value *value(int key, QByteArrayView name) const;
    // A value named again keeps its place and takes the new type and data.
    void setValue(int key, const QByteArray &name, quint32 type, const QByteArray &data);
    void removeValue(int key, QByteArrayView name);

    // Full name from the root key down, joined by "\".
    QByteArray path(int key) const;
    bool isEmpty() const { return m_keys[Top].children.isEmpty(); }

private:
    struct Key
    {
        QByteArray name;
        int parent = -1;
        QList<int> children;
        QList<Value> values;
    };
    using Slot = std::pair<int, QByteArray>; // owner key, folded name

    QList<Key> m_keys;
    QHash<Slot, int> m_childIndex;
    QHash<Slot, int> m_valueIndex;
    bool m_batch = false;
    QSet<int> m_keysLosingChildren;
    QHash<int, QList<int>> m_removedValues; // key, indexes of its removed values
};

// The only root key the program reads.
inline constexpr const char *kLocalMachine = "HKEY_LOCAL_MACHINE";

// Reads registry-export text (REGEDIT4 or version 5.00, UTF-8, a UTF-16 file with its
// byte-order mark too). Lines it cannot read are skipped; it never fails.
Hive parseRegistryText(QByteArrayView text);

// Writes a hive as version 5.00 text that parseRegistryText reads back to the same hive.
QByteArray toRegistryText(const Hive &hive);

// Replaces the file at path atomically; on failure the old file stays.
Result<void> writeRegistryFile(const QString &path, const Hive &hive);

// $RINGVANE_REGISTRY, else the user's file when it exists, else the system-wide one.
QString registryFilePath();
QString userRegistryFilePath();
QString systemRegistryFilePath();

// The hive of registryFilePath(), read on first use. A missing, unreadable or oversized
// file gives an empty hive.
std::shared_ptr<const Hive> currentHive();
// Reads the file again (after the environment or the file changed); keys already open
// keep seeing the hive they were opened in.
void reloadRegistry();

} // namespace registry

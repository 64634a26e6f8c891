#include "platform/RegistryFile.h"

#include "platform/Registry.h"
#include "platform/XdgFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <mutex>

namespace registry {

namespace {

// Windows' own limits; deeper or longer key lines are treated as malformed.
constexpr int kMaxKeyDepth = 512;
constexpr int kMaxKeyNameLength = 255;
// A real registry file is a few kilobytes; anything this large is not one.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

const char *const kRootNames[] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_CLASSES_ROOT",
                                  "HKEY_USERS", "HKEY_CURRENT_CONFIG"};

QByteArray fold(QByteArrayView name)
{
    bool ascii = true;
    for (char c : name) {
        if (uchar(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return name.toByteArray().toLower();
    return QString::fromUtf8(name).toCaseFolded().toUtf8();
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView s)
{
    while (!s.isEmpty() && (isBlank(s.front()) || s.front() == '\r'))
        s = s.sliced(1);
    while (!s.isEmpty() && (isBlank(s.back()) || s.back() == '\r'))
        s.chop(1);
    return s;
}

bool startsWithNoCase(QByteArrayView s, QByteArrayView prefix)
{
    return s.size() >= prefix.size() &&
           s.first(prefix.size()).compare(prefix, Qt::CaseInsensitive) == 0;
}

// Nothing but blanks or a comment may follow a value's data.
bool onlyCommentLeft(QByteArrayView s)
{
    s = trimmed(s);
    return s.isEmpty() || s.front() == ';';
}

QByteArrayView nextLine(QByteArrayView text, qsizetype &pos)
{
    const qsizetype end = text.indexOf('\n', pos);
    const qsizetype stop = end < 0 ? text.size() : end;
    QByteArrayView line = text.sliced(pos, stop - pos);
    pos = end < 0 ? text.size() : end + 1;
    if (!line.isEmpty() && line.back() == '\r')
        line.chop(1);
    return line;
}

// A "..." text with \\ and \" escapes at the front of s; the rest follows it.
std::optional<QByteArray> takeQuoted(QByteArrayView &s)
{
    if (s.isEmpty() || s.front() != '"')
        return std::nullopt;
    QByteArray out;
    for (qsizetype i = 1; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"') {
            s = s.sliced(i + 1);
            return out;
        }
        if (c == '\\' && i + 1 < s.size())
            c = s[++i];
        out.append(c);
    }
    return std::nullopt;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Up to maxDigits hex digits at the front of s.
std::optional<quint32> takeHexNumber(QByteArrayView &s, int maxDigits)
{
    quint32 v = 0;
    int n = 0;
    while (n < s.size() && hexDigit(s[n]) >= 0) {
        if (n == maxDigits)
            return std::nullopt;
        v = v * 16 + quint32(hexDigit(s[n]));
        ++n;
    }
    if (n == 0)
        return std::nullopt;
    s = s.sliced(n);
    return v;
}

// "aa,bb,..." with blanks allowed around each byte; a trailing comment ends it.
std::optional<QByteArray> parseHexBytes(QByteArrayView s)
{
    QByteArray out;
    s = trimmed(s);
    const qsizetype comment = s.indexOf(';');
    if (comment >= 0)
        s = trimmed(s.first(comment));
    if (s.isEmpty())
        return out;
    out.reserve(s.size() / 3 + 1);
    for (;;) {
        s = trimmed(s);
        const auto byte = takeHexNumber(s, 2);
        if (!byte)
            return std::nullopt;
        out.append(char(*byte));
        s = trimmed(s);
        if (s.isEmpty())
            return out;
        if (s.front() != ',')
            return std::nullopt;
        s = s.sliced(1);
        if (trimmed(s).isEmpty())
            return out; // a trailing comma
    }
}

bool isStringType(quint32 type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

class Parser
{
public:
    explicit Parser(QByteArrayView text) : m_text(text) {}

    Hive run()
    {
        m_hive.beginBatch();
        while (m_pos < m_text.size()) {
            const QByteArrayView line = trimmed(nextLine(m_text, m_pos));
            if (line.isEmpty() || line.front() == ';')
                continue;
            if (line == "REGEDIT4") {
                m_utf16Strings = false;
            } else if (line == "Windows Registry Editor Version 5.00") {
                m_utf16Strings = true;
            } else if (line.front() == '[') {
                keyLine(line);
            } else if (m_key >= 0) {
                valueLine(line);
            }
        }
        m_hive.endBatch();
        return std::move(m_hive);
    }

private:
    void keyLine(QByteArrayView line)
    {
        m_key = -1;
        if (line.back() != ']')
            return;
        QByteArrayView inner = line.sliced(1, line.size() - 2);
        const bool remove = !inner.isEmpty() && inner.front() == '-';
        if (remove)
            inner = inner.sliced(1);
        QList<QByteArrayView> names;
        qsizetype start = 0;
        while (start <= inner.size()) {
            qsizetype end = inner.indexOf('\\', start);
            if (end < 0)
                end = inner.size();
            const QByteArrayView name = inner.sliced(start, end - start);
            if (!name.isEmpty()) {
                if (name.contains('\0') || QString::fromUtf8(name).size() > kMaxKeyNameLength ||
                    names.size() == kMaxKeyDepth + 1)
                    return;
                names.append(name);
            }
            start = end + 1;
        }
        if (names.isEmpty() || !isRootName(names.front()))
            return;
        if (remove) {
            int key = Hive::Top;
            for (QByteArrayView name : names) {
                key = m_hive.child(key, name);
                if (key < 0)
                    return;
            }
            m_hive.remove(key);
            return;
        }
        int key = Hive::Top;
        for (QByteArrayView name : names)
            key = m_hive.findOrAdd(key, name.toByteArray());
        m_key = key;
    }

    static bool isRootName(QByteArrayView name)
    {
        for (const char *root : kRootNames) {
            if (name.compare(QByteArrayView(root), Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    }

    void valueLine(QByteArrayView line)
    {
        QByteArray name;
        QByteArrayView rest = line;
        if (rest.front() == '@') {
            rest = rest.sliced(1);
        } else {
            auto quoted = takeQuoted(rest);
            if (!quoted || quoted->contains('\0'))
                return skipContinuation(line);
            name = std::move(*quoted);
        }
        rest = trimmed(rest);
        if (rest.isEmpty() || rest.front() != '=')
            return skipContinuation(line);
        rest = trimmed(rest.sliced(1));

        if (rest.startsWith('-') && onlyCommentLeft(rest.sliced(1))) {
            m_hive.removeValue(m_key, name);
        } else if (rest.startsWith('"')) {
            auto text = takeQuoted(rest);
            if (text && onlyCommentLeft(rest))
                m_hive.setValue(m_key, name, REG_SZ, *text + '\0');
        } else if (startsWithNoCase(rest, "dword:")) {
            rest = rest.sliced(6);
            const auto number = takeHexNumber(rest, 8);
            if (number && onlyCommentLeft(rest)) {
                QByteArray data(4, '\0');
                qToLittleEndian(*number, data.data());
                m_hive.setValue(m_key, name, REG_DWORD, data);
            }
        } else if (startsWithNoCase(rest, "hex")) {
            hexValue(name, rest.sliced(3));
        }
    }

    void hexValue(const QByteArray &name, QByteArrayView rest)
    {
        quint32 type = REG_BINARY;
        bool ok = true;
        if (rest.startsWith('(')) {
            rest = rest.sliced(1);
            const auto number = takeHexNumber(rest, 8);
            ok = number && rest.startsWith(')');
            if (ok) {
                type = *number;
                rest = rest.sliced(1);
            }
        }
        ok = ok && rest.startsWith(':');
        // Read the continuation lines even when the start is bad, so they are not
        // mistaken for lines of their own.
        QByteArray joined = rest.isEmpty() ? QByteArray() : rest.sliced(1).toByteArray();
        while (endsWithContinuation(joined) && m_pos < m_text.size()) {
            joined.chop(1);
            joined.append(trimmed(nextLine(m_text, m_pos)));
        }
        if (!ok)
            return;
        auto bytes = parseHexBytes(joined);
        if (!bytes)
            return;
        if (m_utf16Strings && isStringType(type) && bytes->size() % 2 == 0) {
            *bytes = QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes->constData()),
                                        bytes->size() / 2)
                         .toUtf8();
        }
        m_hive.setValue(m_key, name, type, *bytes);
    }

    static bool endsWithContinuation(QByteArray &s)
    {
        while (!s.isEmpty() && (isBlank(s.back()) || s.back() == '\r'))
            s.chop(1);
        return s.endsWith('\\');
    }

    // A malformed hex value may still go on over the following lines.
    void skipContinuation(QByteArrayView line)
    {
        QByteArray last = line.toByteArray();
        while (endsWithContinuation(last) && m_pos < m_text.size())
            last = trimmed(nextLine(m_text, m_pos)).toByteArray();
    }

    QByteArrayView m_text;
    qsizetype m_pos = 0;
    Hive m_hive;
    int m_key = -1;
    bool m_utf16Strings = false;
};

void appendQuoted(QByteArray &out, QByteArrayView text)
{
    out.append('"');
    for (char c : text) {
        if (c == '\\' || c == '"')
            out.append('\\');
        out.append(c);
    }
    out.append('"');
}

void appendValue(QByteArray &out, const Value &v)
{
    if (v.name.isEmpty())
        out.append('@');
    else
        appendQuoted(out, v.name);
    out.append('=');
    const QByteArrayView data = v.data;
    const bool plainText = v.type == REG_SZ && data.endsWith('\0') &&
                           data.indexOf('\0') == data.size() - 1 && !data.contains('\n') &&
                           !data.contains('\r');
    if (plainText) {
        appendQuoted(out, data.chopped(1));
    } else if (v.type == REG_DWORD && data.size() == 4) {
        out.append("dword:");
        out.append(
            QByteArray::number(qFromLittleEndian<quint32>(data.data()), 16).rightJustified(8, '0'));
    } else {
        out.append(v.type == REG_BINARY ? QByteArray("hex:")
                                        : "hex(" + QByteArray::number(v.type, 16) + "):");
        for (qsizetype i = 0; i < data.size(); ++i) {
            if (i > 0)
                out.append(i % 25 == 0 ? ",\\\n  " : ",");
            out.append(QByteArray::number(uchar(data[i]), 16).rightJustified(2, '0'));
        }
    }
    out.append('\n');
}

std::mutex g_mutex;
std::shared_ptr<const Hive> g_hive;

std::shared_ptr<const Hive> loadFile(const QString &path)
{
    auto empty = std::make_shared<const Hive>();
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return empty;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("registry file %s: %s", qPrintable(path), qPrintable(file.errorString()));
        return empty;
    }
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (bytes.size() > kMaxFileSize) {
        qWarning("registry file %s is too large to be one", qPrintable(path));
        return empty;
    }
    return std::make_shared<const Hive>(parseRegistryText(bytes));
}

} // namespace

Hive::Hive()
{
    m_keys.append(Key{});
}

int Hive::child(int key, QByteArrayView name) const
{
    return m_childIndex.value(Slot(key, fold(name)), -1);
}

int Hive::find(int key, QByteArrayView path) const
{
    qsizetype start = 0;
    while (key >= 0 && start <= path.size()) {
        qsizetype end = path.indexOf('\\', start);
        if (end < 0)
            end = path.size();
        if (end > start)
            key = child(key, path.sliced(start, end - start));
        start = end + 1;
    }
    return key;
}

int Hive::findOrAdd(int key, const QByteArray &name)
{
    Slot slot(key, fold(name));
    if (const auto it = m_childIndex.constFind(slot); it != m_childIndex.cend())
        return *it;
    const int added = int(m_keys.size());
    m_keys.append(Key{name, key, {}, {}});
    m_keys[key].children.append(added);
    m_childIndex.insert(std::move(slot), added);
    return added;
}

void Hive::remove(int key)
{
    const int parent = m_keys[key].parent;
    if (parent < 0)
        return;
    if (m_batch)
        m_keysLosingChildren.insert(parent);
    else
        m_keys[parent].children.removeOne(key);
    m_childIndex.remove(Slot(parent, fold(m_keys[key].name)));
    m_keys[key].parent = -1;
}

void Hive::endBatch()
{
    m_batch = false;
    for (const int parent : std::as_const(m_keysLosingChildren)) {
        m_keys[parent].children.removeIf([&](int child) { return m_keys[child].parent != parent; });
    }
    m_keysLosingChildren.clear();
    for (auto it = m_removedValues.cbegin(); it != m_removedValues.cend(); ++it) {
        const int key = it.key();
        QList<Value> &values = m_keys[key].values;
        QList<bool> gone(values.size(), false);
        for (const int index : it.value())
            gone[index] = true;
        QList<Value> kept;
        for (qsizetype i = 0; i < values.size(); ++i) {
            if (!gone[i])
                kept.append(std::move(values[i]));
        }
        values = std::move(kept);
        for (qsizetype i = 0; i < values.size(); ++i)
            m_valueIndex[Slot(key, fold(values[i].name))] = int(i);
    }
    m_removedValues.clear();
}

const Value *Hive::value(int key, QByteArrayView name) const
{
    const int index = m_valueIndex.value(Slot(key, fold(name)), -1);
    return index < 0 ? nullptr : &m_keys[key].values[index];
}

void Hive::setValue(int key, const QByteArray &name, quint32 type, const QByteArray &data)
{
    Slot slot(key, fold(name));
    if (const auto it = m_valueIndex.constFind(slot); it != m_valueIndex.cend()) {
        Value &v = m_keys[key].values[*it];
        v.type = type;
        v.data = data;
        return;
    }
    m_valueIndex.insert(std::move(slot), int(m_keys[key].values.size()));
    m_keys[key].values.append(Value{name, type, data});
}

void Hive::removeValue(int key, QByteArrayView name)
{
    const Slot slot(key, fold(name));
    const int index = m_valueIndex.value(slot, -1);
    if (index < 0)
        return;
    m_valueIndex.remove(slot);
    if (m_batch) {
        m_removedValues[key].append(index);
        return;
    }
    QList<Value> &values = m_keys[key].values;
    values.removeAt(index);
    for (qsizetype i = index; i < values.size(); ++i)
        m_valueIndex[Slot(key, fold(values[i].name))] = int(i);
}

QByteArray Hive::path(int key) const
{
    QList<QByteArrayView> names;
    for (; key > Top; key = m_keys[key].parent)
        names.prepend(m_keys[key].name);
    QByteArray out;
    for (QByteArrayView name : names) {
        if (!out.isEmpty())
            out.append('\\');
        out.append(name);
    }
    return out;
}

Hive parseRegistryText(QByteArrayView text)
{
    if (text.startsWith("\xff\xfe")) {
        const QByteArray utf8 =
            QString::fromUtf16(reinterpret_cast<const char16_t *>(text.data() + 2),
                               (text.size() - 2) / 2)
                .toUtf8();
        return Parser(utf8).run();
    }
    if (text.startsWith("\xef\xbb\xbf"))
        text = text.sliced(3);
    return Parser(text).run();
}

QByteArray toRegistryText(const Hive &hive)
{
    // REGEDIT4: hex data of string values is then the UTF-8 bytes themselves, so every
    // value comes back byte for byte.
    QByteArray out("REGEDIT4\n");
    QList<int> stack;
    for (auto it = hive.subkeys(Hive::Top).crbegin(); it != hive.subkeys(Hive::Top).crend(); ++it)
        stack.append(*it);
    while (!stack.isEmpty()) {
        const int key = stack.takeLast();
        out.append("\n[" + hive.path(key) + "]\n");
        for (const Value &v : hive.values(key))
            appendValue(out, v);
        const QList<int> &children = hive.subkeys(key);
        for (auto it = children.crbegin(); it != children.crend(); ++it)
            stack.append(*it);
    }
    return out;
}

Result<void> writeRegistryFile(const QString &path, const Hive &hive)
{
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return Failure(0, QCoreApplication::translate("RegistryFile", "cannot create the folder %1")
                              .arg(info.absolutePath()));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(toRegistryText(hive)) < 0 || !file.commit())
        return Failure(0, file.errorString());
    return {};
}

QString userRegistryFilePath()
{
    return xdgBaseFolder("XDG_CONFIG_HOME", ".config") + QStringLiteral("/ringvane/registry.reg");
}

QString systemRegistryFilePath()
{
    return QStringLiteral("/etc/ringvane/registry.reg");
}

QString registryFilePath()
{
    const QString named = qEnvironmentVariable("RINGVANE_REGISTRY");
    if (!named.isEmpty())
        return named;
    const QString user = userRegistryFilePath();
    if (QFileInfo::exists(user))
        return user;
    return systemRegistryFilePath();
}

std::shared_ptr<const Hive> currentHive()
{
    std::lock_guard lock(g_mutex);
    if (!g_hive)
        g_hive = loadFile(registryFilePath());
    return g_hive;
}

void reloadRegistry()
{
    auto hive = loadFile(registryFilePath());
    std::lock_guard lock(g_mutex);
    g_hive = std::move(hive);
}

} // namespace registry

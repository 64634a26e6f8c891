#include "picturebutton/PropertyBag.h"

#include "failure/Failure.h"

#include <QLocale>

#include <cmath>
#include <limits>

PropertyBag::PropertyBag(std::initializer_list<Entry> entries)
{
    for (const Entry &e : entries)
        insert(e.name, e.value);
}

qsizetype PropertyBag::indexOf(const QString &name) const
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant PropertyBag::read(const QString &name, const QVariant &defaultValue) const
{
    const qsizetype i = indexOf(name);
    return i < 0 ? defaultValue : m_entries.at(i).value;
}

void PropertyBag::write(const QString &name, const QVariant &value, const QVariant &defaultValue)
{
    if (value == defaultValue) {
        // An older entry would otherwise be read back instead of the default.
        const qsizetype i = indexOf(name);
        if (i >= 0)
            m_entries.removeAt(i);
        return;
    }
    insert(name, value);
}

void PropertyBag::insert(const QString &name, const QVariant &value)
{
    const qsizetype i = indexOf(name);
    if (i >= 0)
        m_entries[i].value = value;
    else
        m_entries.append(Entry(name, value));
}

QStringList PropertyBag::names() const
{
    QStringList out;
    out.reserve(m_entries.size());
    for (const Entry &e : m_entries)
        out.append(e.name);
    return out;
}

int PropertyBag::pixelsToHimetric(int pixels)
{
    return qRound(pixels * 2540.0 / 96.0);
}

int PropertyBag::himetricToPixels(int himetric)
{
    return qRound(himetric * 96.0 / 2540.0);
}

namespace propertyvalue {
namespace {

[[noreturn]] void typeMismatch()
{
    throw Failure(ErrorNumber::TypeMismatch, QStringLiteral("Type mismatch"));
}

[[noreturn]] void overflow()
{
    throw Failure(ErrorNumber::Overflow, QStringLiteral("Overflow"));
}

qint64 fromDouble(double d)
{
    // Fractions round half to even, the usual rule for stored numbers.
    if (!std::isfinite(d) || std::fabs(d) >= 9.2e18)
        overflow();
    return static_cast<qint64>(std::nearbyint(d));
}

bool parseNumber(const QVariant &value, double &out)
{
    bool ok = false;
    out = QLocale::c().toDouble(value.toString().trimmed(), &ok);
    return ok;
}

qint64 wholeNumber(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return value.toBool() ? -1 : 0;
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
        return value.toLongLong();
    case QMetaType::ULongLong: {
        const qulonglong u = value.toULongLong();
        if (u > qulonglong(std::numeric_limits<qint64>::max()))
            overflow();
        return qint64(u);
    }
    case QMetaType::Float:
    case QMetaType::Double:
        return fromDouble(value.toDouble());
    case QMetaType::QString: {
        double d = 0;
        if (!parseNumber(value, d))
            typeMismatch();
        return fromDouble(d);
    }
    default:
        typeMismatch();
    }
}

template <class T> T narrowed(qint64 n)
{
    if (n < std::numeric_limits<T>::min() || n > std::numeric_limits<T>::max())
        overflow();
    return static_cast<T>(n);
}

} // namespace

qint32 toInt32(const QVariant &value)
{
    return narrowed<qint32>(wholeNumber(value));
}

qint16 toInt16(const QVariant &value)
{
    return narrowed<qint16>(wholeNumber(value));
}

quint32 toColor(const QVariant &value)
{
    // Colours come signed (system colours have the top bit set) or unsigned.
    const qint64 n = wholeNumber(value);
    if (n < std::numeric_limits<qint32>::min() || n > qint64(std::numeric_limits<quint32>::max()))
        overflow();
    return static_cast<quint32>(n);
}

bool toBool(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        if (text.compare(u"true", Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(u"false", Qt::CaseInsensitive) == 0)
            return false;
        double d = 0;
        if (!parseNumber(value, d))
            typeMismatch();
        return d != 0;
    }
    case QMetaType::Float:
    case QMetaType::Double:
        return value.toDouble() != 0;
    default:
        return wholeNumber(value) != 0;
    }
}

PictureRef toPicture(const QVariant &value)
{
    if (value.metaType() != QMetaType::fromType<PictureRef>())
        typeMismatch();
    return value.value<PictureRef>();
}

FontRef toFont(const QVariant &value)
{
    if (value.metaType() != QMetaType::fromType<FontRef>())
        typeMismatch();
    return value.value<FontRef>();
}

} // namespace propertyvalue

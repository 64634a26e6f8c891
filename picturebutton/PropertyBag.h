#pragma once

#include "picturebutton/Font.h"
#include "picturebutton/Picture.h"

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <initializer_list>
#include <utility>

// The named values a button is created from and saved to. Names compare without regard
// to case; a write that equals its default is left out, so a store holds only what differs
// from the defaults. The host keeps the size under "_extentx"/"_extenty" in hundredths of
// a millimetre at 96 dpi.
class PropertyBag
{
public:
    // One name/value pair for building a store in code or from layout data.
    struct Entry
    {
        Entry(QString name, QVariant value) : name(std::move(name)), value(std::move(value)) {}
        Entry(QString name, PictureRef picture)
            : name(std::move(name)), value(QVariant::fromValue(std::move(picture)))
        {
        }
        Entry(QString name, FontRef font)
            : name(std::move(name)), value(QVariant::fromValue(std::move(font)))
        {
        }
        QString name;
        QVariant value;
    };

    PropertyBag() = default;
    PropertyBag(std::initializer_list<Entry> entries);

    QVariant read(const QString &name, const QVariant &defaultValue) const;
    void write(const QString &name, const QVariant &value, const QVariant &defaultValue);
    // Stores the value whatever it is (layout data, the host's own entries).
    void insert(const QString &name, const QVariant &value);
    void insert(const QString &name, PictureRef picture)
    {
        insert(name, QVariant::fromValue(std::move(picture)));
    }
    void insert(const QString &name, FontRef font) { insert(name, QVariant::fromValue(std::move(font))); }

    bool contains(const QString &name) const { return indexOf(name) >= 0; }
    // Names in the order they were first stored.
    QStringList names() const;
    qsizetype size() const { return m_entries.size(); }

    static int pixelsToHimetric(int pixels);
    static int himetricToPixels(int himetric);

private:
    qsizetype indexOf(const QString &name) const;

    QList<Entry> m_entries;
};

// The host's conversions of a stored value to a member's type. A value of the wrong kind
// fails with 13 (type mismatch), a number out of range with 6 (overflow).
namespace propertyvalue {
qint32 toInt32(const QVariant &value);
qint16 toInt16(const QVariant &value);
quint32 toColor(const QVariant &value);
bool toBool(const QVariant &value);
PictureRef toPicture(const QVariant &value);
FontRef toFont(const QVariant &value);
} // namespace propertyvalue

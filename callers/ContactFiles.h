#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Reading the address books users already keep: vCard files (2.1 from phones, 3.0 from
// Google Contacts and the GNOME and KDE address books, 4.0 from Thunderbird) and Google
// Contacts' CSV export. Pure functions over the file's bytes: whatever the bytes are, the
// work and the memory grow only linearly with them, and an overlong line is left out
// rather than kept.
namespace contactfiles {

// One telephone number with the name it is filed under; a card with three numbers gives
// three entries with the same name.
struct Entry
{
    QString number;
    QString name;
    bool operator==(const Entry &) const = default;
};

// A card or row that gave no entry, and why (in words for the user).
struct Skipped
{
    int line = 0; // where the card or row begins, from 1
    QString reason;
};

struct Contents
{
    QList<Entry> entries;
    QList<Skipped> skipped;
};

Contents readVCards(const QByteArray &bytes);
Contents readGoogleCsv(const QByteArray &bytes);
// Either of the two, told apart by how the file begins.
Contents readContacts(const QByteArray &bytes);

// Longer lines (a photo, mostly) are passed over.
inline constexpr qsizetype kLongestLine = 64 * 1024;

} // namespace contactfiles

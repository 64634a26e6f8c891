#include "callers/ContactFiles.h"
#include "tests/support/LocaleScope.h"

#include <gtest/gtest.h>

using contactfiles::Entry;

namespace contactfiles {
void PrintTo(const Entry &entry, std::ostream *out)
{
    *out << entry.number.toStdString() << " = " << entry.name.toStdString();
}
} // namespace contactfiles

namespace {

struct FileRow
{
    const char *producer;
    const char *text;
    QList<Entry> entries;
    int skipped;
};

Entry entry(const char *number, const char *name)
{
    return {QString::fromUtf8(number), QString::fromUtf8(name)};
}

// Written the way each producer writes its export; the people and numbers are made up.
const FileRow kVCards[] = {
    {"Android phone, vCard 2.1 with quoted-printable names",
     "BEGIN:VCARD\r\n"
     "VERSION:2.1\r\n"
     "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;J=C3=BCrgen;;;\r\n"
     "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:J=C3=BCrgen M=C3=BCller\r\n"
     "TEL;CELL;PREF:+49 151 12345678\r\n"
     "TEL;HOME:030 12345678\r\n"
     "END:VCARD\r\n"
     "BEGIN:VCARD\r\n"
     "VERSION:2.1\r\n"
     "N:;Mum;;;\r\n"
     "TEL;CELL:07700 900123\r\n"
     "END:VCARD\r\n",
     {entry("+49 151 12345678", "Jürgen Müller"), entry("030 12345678", "Jürgen Müller"),
      entry("07700 900123", "Mum")},
     0},
    {"old phone, 2.1 with a soft line break and Latin-1 bytes",
     "BEGIN:VCARD\nVERSION:2.1\n"
     "FN;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:Fran=E7oise de la Tr=\n"
     "=E9moille\n"
     "TEL;WORK;VOICE:+33 1 23 45 67 89\n"
     "END:VCARD\n"
     "BEGIN:VCARD\nVERSION:2.1\nFN:Ren\xE9\nTEL:+33 6 12 34 56 78\nEND:VCARD\n"
     "BEGIN:VCARD\nVERSION:2.1\nFN;CHARSET=UTF-8;QUOTED-PRINTABLE:Gro=C3=9F=\n"
     " mutter\nTEL:+33 6 98 76 54 32\nEND:VCARD\n",
     {entry("+33 1 23 45 67 89", "Françoise de la Trémoille"), entry("+33 6 12 34 56 78", "René"),
      entry("+33 6 98 76 54 32", "Großmutter")},
     0},
    {"Google Contacts, vCard 3.0 with grouped lines",
     "BEGIN:VCARD\r\nVERSION:3.0\r\n"
     "FN:Smith\\, Jane\r\n"
     "N:Smith;Jane;;;\r\n"
     "TEL;TYPE=CELL:+44 7700 900456\r\n"
     "item1.TEL:020 7946 0958\r\n"
     "item1.X-ABLabel:Office\r\n"
     "END:VCARD\r\n",
     {entry("+44 7700 900456", "Smith, Jane"), entry("020 7946 0958", "Smith, Jane")},
     0},
    {"GNOME Contacts (Evolution), 3.0 folded with a photo",
     "BEGIN:VCARD\r\nVERSION:3.0\r\n"
     "UID:pas-id-5F3A\r\n"
     "FN:Anna-Lena\r\n  Berg\r\n"
     "N:Berg;Anna-Lena;;;\r\n"
     "X-EVOLUTION-FILE-AS:Berg\\, Anna-Lena\r\n"
     "TEL;TYPE=HOME,VOICE;X-EVOLUTION-UI-SLOT=1:+46 8 123 456\r\n"
     " 78\r\n"
     "PHOTO;ENCODING=b;TYPE=\"image/png\":iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJ\r\n"
     " AAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==\r\n"
     "END:VCARD\r\n",
     {entry("+46 8 123 45678", "Anna-Lena Berg")},
     0},
    {"KDE address book, 3.0 with escaped semicolons and no FN",
     "BEGIN:VCARD\nVERSION:3.0\n"
     "N:O'Brien;Seán;Pádraig;Dr.;\n"
     "ORG:Acme\\; Sons\n"
     "TEL;TYPE=WORK:+353 1 234 5678\n"
     "TEL;TYPE=WORK:+353 1 234 5678\n"
     "END:VCARD\n",
     {entry("+353 1 234 5678", "Dr. Seán Pádraig O'Brien")},
     0},
    {"Thunderbird, vCard 4.0 with tel: URIs and quoted parameters",
     "BEGIN:VCARD\r\nVERSION:4.0\r\n"
     "N:Nakamura;Yuki;;;\r\n"
     "FN:Yuki Nakamura\r\n"
     "TEL;TYPE=\"work,voice\";VALUE=uri:tel:+81-3-1234-5678\r\n"
     "TEL;VALUE=TEXT;TYPE=cell:090 1234 5678\r\n"
     "END:VCARD\r\n",
     {entry("+81-3-1234-5678", "Yuki Nakamura"), entry("090 1234 5678", "Yuki Nakamura")},
     0},
    {"cards that give nothing, and a last card without END",
     "BEGIN:VCARD\nVERSION:3.0\nFN:No Number\nEMAIL:a@example.org\nEND:VCARD\n"
     "BEGIN:VCARD\nVERSION:3.0\nTEL:+44 20 7946 0000\nEND:VCARD\n"
     "BEGIN:VCARD\nVERSION:2.1\nFN:Agent Owner\nTEL:+44 20 7946 0001\n"
     "AGENT:\nBEGIN:VCARD\nFN:The Agent\nTEL:+44 20 7946 0002\nEND:VCARD\n"
     "END:VCARD\n"
     "BEGIN:VCARD\nFN:Cut Off\nTEL:+44 20 7946 0003\n",
     {entry("+44 20 7946 0001", "Agent Owner"), entry("+44 20 7946 0003", "Cut Off")},
     2},
};

TEST(ContactFiles, ReadsTheVCardsOfEachProducer)
{
    LocaleScope locale("en_GB.UTF-8");
    for (const FileRow &row : kVCards) {
        const contactfiles::Contents contents = contactfiles::readContacts(QByteArray(row.text));
        EXPECT_EQ(contents.entries, row.entries) << row.producer;
        EXPECT_EQ(contents.skipped.size(), row.skipped) << row.producer;
    }
}

TEST(ContactFiles, SaysWhyACardGaveNothing)
{
    LocaleScope locale("en_GB.UTF-8");
    const contactfiles::Contents contents = contactfiles::readVCards(QByteArray(kVCards[6].text));
    ASSERT_EQ(contents.skipped.size(), 2);
    EXPECT_EQ(contents.skipped[0].line, 1);
    EXPECT_EQ(contents.skipped[0].reason, QStringLiteral("no telephone number"));
    EXPECT_EQ(contents.skipped[1].line, 6);
    EXPECT_EQ(contents.skipped[1].reason, QStringLiteral("no name"));
}

TEST(ContactFiles, PassesOverAnOverlongLine)
{
    LocaleScope locale("en_GB.UTF-8");
    QByteArray text = "BEGIN:VCARD\nFN:Big Photo\nPHOTO;ENCODING=b:";
    for (int i = 0; i < 3000; ++i)
        text += QByteArray(" ").append(QByteArray(40, 'A')).prepend("\n");
    text += "\nTEL:+44 20 7946 0004\nEND:VCARD\n"
            "BEGIN:VCARD\nFN:Long Number\nTEL:" +
            QByteArray(contactfiles::kLongestLine + 1, '1') + "\nEND:VCARD\n";
    const contactfiles::Contents contents = contactfiles::readVCards(text);
    EXPECT_EQ(contents.entries, QList<Entry>{entry("+44 20 7946 0004", "Big Photo")});
    ASSERT_EQ(contents.skipped.size(), 1);
    EXPECT_EQ(contents.skipped[0].reason, QStringLiteral("a line longer than 64 KiB"));
}

// Google Contacts' "Google CSV": the header of its newer export, and the older one.
const FileRow kCsv[] = {
    {"Google CSV, current header",
     "\xEF\xBB\xBF"
     "First Name,Middle Name,Last Name,Phonetic First Name,Nickname,File As,"
     "Organization Name,Labels,E-mail 1 - Label,E-mail 1 - Value,Phone 1 - Label,"
     "Phone 1 - Value,Phone 2 - Label,Phone 2 - Value\r\n"
     "Jane,,Smith,,,,,* myContacts,* Home,jane@example.org,Mobile,"
     "+44 7700 900456 ::: +44 7700 900457,Work,020 7946 0958\r\n"
     ",,,,,,\"Acme, Ltd\",* myContacts,,,Work,0800 123 4567,,\r\n"
     ",,,,,,,* myContacts,,,,,,\r\n",
     {entry("+44 7700 900456", "Jane Smith"), entry("+44 7700 900457", "Jane Smith"),
      entry("020 7946 0958", "Jane Smith"), entry("0800 123 4567", "Acme, Ltd")},
     1},
    {"Google CSV, older header with a quoted line break",
     "Name,Given Name,Additional Name,Family Name,Notes,Group Membership,"
     "Phone 1 - Type,Phone 1 - Value\n"
     "\"Dr. \"\"Bob\"\" Jones\",Bob,,Jones,\"two\nlines\",* My Contacts,Home,(212) 555-0123\n"
     ",,,,,* My Contacts,Home,(212) 555-0199\n",
     {entry("(212) 555-0123", "Dr. \"Bob\" Jones")},
     1},
};

TEST(ContactFiles, ReadsGoogleCsv)
{
    LocaleScope locale("en_GB.UTF-8");
    for (const FileRow &row : kCsv) {
        const contactfiles::Contents contents = contactfiles::readContacts(QByteArray(row.text));
        EXPECT_EQ(contents.entries, row.entries) << row.producer;
        EXPECT_EQ(contents.skipped.size(), row.skipped) << row.producer;
    }
    const contactfiles::Contents older = contactfiles::readGoogleCsv(QByteArray(kCsv[1].text));
    ASSERT_EQ(older.skipped.size(), 1);
    EXPECT_EQ(older.skipped[0].line, 4); // the quoted line break counts
    EXPECT_EQ(older.skipped[0].reason, QStringLiteral("no name"));

    const contactfiles::Contents other =
        contactfiles::readGoogleCsv(QByteArray("Name,E-mail\nJane,jane@example.org\n"));
    EXPECT_TRUE(other.entries.isEmpty());
    ASSERT_EQ(other.skipped.size(), 1);
    EXPECT_EQ(other.skipped[0].line, 1);
}

} // namespace

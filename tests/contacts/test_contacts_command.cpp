// ringvane-contacts run as a user runs it, in the United Kingdom, on the SQLite driver or,
// built with RINGVANE_TEST_POSTGRES, on PostgreSQL.

#include "tests/calllog/OdbcSandbox.h"

#include "tools/contacts/ContactsCommand.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace contacts;

namespace {

struct CommandRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

class ContactsCommand : public ::testing::Test
{
protected:
    void SetUp() override
    {
        OdbcSandbox::instance().resetCallLog(); // IDList only: no phonebook yet
        ASSERT_TRUE(m_dir.isValid());
    }

    static CommandRun run(const QStringList &args)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"LC_ALL"_qs, u"en_GB.UTF-8"_qs); // numbers read the British way
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(RINGVANE_CONTACTS_COMMAND), args);
        if (!process.waitForFinished(60000))
            return {};
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    static QString ok(const QStringList &args)
    {
        const CommandRun r = run(args);
        EXPECT_EQ(r.exitCode, ExitOk) << args.join(u' ').toStdString() << ": " << r.err.toStdString();
        return r.out;
    }

    QString file(const char *name, const QByteArray &bytes) const
    {
        const QString path = m_dir.filePath(QString::fromUtf8(name));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        return path;
    }

    static bool hasPhonebook()
    {
        return !queryRows(OdbcSandbox::instance().admin(),
                          OdbcSandbox::instance().backend() == OdbcSandbox::Sqlite
                              ? u"SELECT name FROM sqlite_master WHERE name = 'Phonebook'"_qs
                              : u"SELECT tablename FROM pg_tables WHERE tablename = 'phonebook' "
                                "AND schemaname = current_schema()"_qs)
                    .isEmpty();
    }

    QTemporaryDir m_dir;
};

// A Google Contacts export as its "Export" button writes it (columns cut down).
const QByteArray kGoogleCsv =
    "First Name,Middle Name,Last Name,Nickname,Phone 1 - Label,Phone 1 - Value,"
    "Phone 2 - Label,Phone 2 - Value\r\n"
    "Ann,,Lee,,Mobile,+44 7700 900123 ::: 07700 900456,Home,020 7946 0958\r\n"
    "Bob,,,,Work,\"0161 496 0000\",,\r\n"
    "Carl,,,,Home,020 7946 0958,,\r\n" // Ann's home number too
    ",,,,Mobile,0800 123 4567,,\r\n";  // no name

} // namespace

TEST_F(ContactsCommand, AddListAndRemoveMatchNumbersAsTelephoneNumbers)
{
    EXPECT_EQ(ok({"list"}), QString()) << "no table: an empty phonebook";
    EXPECT_FALSE(hasPhonebook());
    EXPECT_EQ(run({"remove", "020 7946 0958"}).exitCode, ExitNotFound);
    EXPECT_FALSE(hasPhonebook()) << "only a written entry makes the table";

    const struct
    {
        QStringList args;
        const char *says;
    } steps[] = {
        {{"add", "+44 20 7946 0958", "Mum"}, "Added +44 20 7946 0958 (Mum)."},
        {{"add", "02079460958", "Mum"}, "+44 20 7946 0958 (Mum) is already in the phonebook."},
        {{"add", "00442079460958", "Mother"},
         "Changed the name of +44 20 7946 0958 from Mum to Mother."},
        {{"add", "0800*", "Free \x1b[2Jcall"}, "Added 0800* (Free \uFFFD[2Jcall)."},
        {{"add", "0800 123 4567", "Shop"}, "Added 0800 123 4567 (Shop)."},
    };
    for (const auto &step : steps)
        EXPECT_EQ(ok(step.args), QString::fromUtf8(step.says) + u'\n') << step.args.join(u' ').toStdString();
    EXPECT_TRUE(hasPhonebook());

    EXPECT_EQ(ok({"list"}), u"0800*             Free \uFFFD[2Jcall\n"
                            "+44 20 7946 0958  Mother\n"
                            "0800 123 4567     Shop\n"_qs);
    EXPECT_EQ(ok({"list", "--format", "json"}).section(u'\n', 0, 0),
              u"{\"number\": \"0800*\", \"name\": \"Free \\u001b[2Jcall\", \"mark\": null}"_qs);
    EXPECT_EQ(ok({"list", "--format", "csv"}).section(u'\n', 0, 1),
              u"number,name,mark\r\n0800*,Free \uFFFD[2Jcall,\r"_qs);

    EXPECT_EQ(ok({"remove", "020 7946 0958"}), u"Removed +44 20 7946 0958 (Mother).\n"_qs);
    EXPECT_EQ(ok({"remove", "0800*"}), u"Removed 0800* (Free \uFFFD[2Jcall).\n"_qs);
    EXPECT_EQ(ok({"list"}), u"0800 123 4567  Shop\n"_qs);
}

TEST_F(ContactsCommand, ImportingTwiceChangesNothingAndExportsReadBackTheSame)
{
    const QString csv = file("google.csv", kGoogleCsv);
    const QString vcf = file("phone.vcf",
                             "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann;;;\r\nFN:Ann Lee\r\n"
                             "TEL;TYPE=CELL:+447700900123\r\nTEL;TYPE=WORK:0113 496 0999\r\n"
                             "END:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nFN:Dora\\, Aunt\r\n"
                             "END:VCARD\r\n");
    EXPECT_EQ(ok({"import", csv}),
              u"Added 4, changed 0, already there 0, skipped 2.\n"
              "  skipped line 5: no name\n"
              "  skipped 020 7946 0958 (Carl): the same number as for Ann Lee before it\n"_qs);
    EXPECT_EQ(ok({"import", csv}).section(u'\n', 0, 0),
              u"Added 0, changed 0, already there 4, skipped 2."_qs);
    EXPECT_EQ(ok({"import", vcf}),
              u"Added 1, changed 0, already there 1, skipped 1.\n  skipped line 8: no telephone number\n"_qs);
    // Escapes, and a line folded within its characters.
    ok({"add", "0113 496 0000", u"Zoë \"Z\", O\\Neil; "_qs + QString(40, u'é')});
    const QString listed = ok({"list", "--format", "json"});

    for (const char *format : {"vcard", "csv"}) {
        SCOPED_TRACE(format);
        const QString exported = file("export", ok({"export", "--format", format}).toUtf8());
        EXPECT_EQ(ok({"import", exported}).section(u'\n', 0, 0),
                  u"Added 0, changed 0, already there 6, skipped 0."_qs);
        OdbcSandbox::instance().admin().Execute(u"DELETE FROM Phonebook"_qs);
        EXPECT_EQ(ok({"import", exported}).section(u'\n', 0, 0),
                  u"Added 6, changed 0, already there 0, skipped 0."_qs);
        EXPECT_EQ(ok({"list", "--format", "json"}), listed);
    }
    EXPECT_TRUE(ok({"export"}).startsWith(
        u"BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Ann Lee\r\nTEL;VALUE=text:+44 7700 900123\r\n"_qs));
}

TEST_F(ContactsCommand, MarksAndNameRulesAreKeptListedAndNeverImportedAway)
{
    const QString list = u"0161 496 0000  [block]\n"
                         "0800*          Freephone [block]\n"
                         "020 7946 0958  Mum [allow]\n"
                         "               SPAM* [block-name]\n"
                         "               V* [block-name]\n"_qs;
    const struct
    {
        QStringList args;
        ExitCode exitCode;
        QString says; // the whole output; on failure, a part of the error
    } steps[] = {
        {{"block", "0800*"}, ExitOk, u"Added 0800* to the block list.\n"_qs},
        {{"add", "020 7946 0958", "Mum"}, ExitOk, u"Added 020 7946 0958 (Mum).\n"_qs},
        {{"block", "+44 20 7946 0958"}, ExitOk,
         u"Added 020 7946 0958 (Mum) to the block list.\n"_qs},
        {{"block", "02079460958"}, ExitOk,
         u"020 7946 0958 (Mum) is already on the block list.\n"_qs},
        {{"allow", "00442079460958"}, ExitOk,
         u"Moved 020 7946 0958 (Mum) from the block list to the allow list.\n"_qs},
        {{"add", "0800*", "Freephone"}, ExitOk, u"Gave 0800* the name Freephone.\n"_qs},
        {{"block", "01614960000"}, ExitOk, u"Added 01614960000 to the block list.\n"_qs},
        {{"block-name", "SPAM*"}, ExitOk, u"Added the name rule SPAM*.\n"_qs},
        {{"block-name", "spam*"}, ExitOk, u"The name rule SPAM* is already there.\n"_qs},
        {{"block-name", "V*"}, ExitOk, u"Added the name rule V*.\n"_qs},
        {{"unmark", "+44 161 496 0000"}, ExitOk,
         u"Removed 01614960000 from the block list.\n"_qs},
        {{"block", "0161 496 0000"}, ExitOk, u"Added 0161 496 0000 to the block list.\n"_qs},
        {{"list"}, ExitOk, list},
        {{"unmark", "0113 496 0999"}, ExitNotFound, u"0113 496 0999 is on neither list."_qs},
        {{"remove-name", "X*"}, ExitNotFound, u"There is no name rule X*."_qs},
    };
    for (const auto &step : steps) {
        const CommandRun r = run(step.args);
        EXPECT_EQ(r.exitCode, step.exitCode) << step.args.join(u' ').toStdString() << ": "
                                             << r.err.toStdString();
        if (step.exitCode == ExitOk) {
            EXPECT_EQ(r.out.toStdString(), step.says.toStdString());
        } else {
            EXPECT_TRUE(r.err.contains(step.says)) << r.err.toStdString();
        }
    }
    EXPECT_TRUE(ok({"list", "--format", "json"})
                    .endsWith(u"{\"number\": \"\", \"name\": \"V*\", \"mark\": \"block-name\"}\n"_qs));
    EXPECT_TRUE(ok({"list", "--format", "csv"}).contains(u"\r\n0161 496 0000,,block\r\n"_qs));

    // An address book gets the names alone; bringing it back leaves every mark.
    for (const char *format : {"vcard", "csv"}) {
        SCOPED_TRACE(format);
        const QString exported = ok({"export", "--format", format});
        EXPECT_FALSE(exported.contains(u"SPAM"_qs) || exported.contains(u"0161"_qs)) << exported.toStdString();
        EXPECT_EQ(ok({"import", file("export", exported.toUtf8())}),
                  u"Added 0, changed 0, already there 2, skipped 0.\n"_qs);
        EXPECT_EQ(ok({"list"}).toStdString(), list.toStdString());
    }

    const struct
    {
        QStringList args;
        const char *says;
    } undo[] = {
        {{"unmark", "0161 496 0000"}, "Removed 0161 496 0000 from the block list.\n"},
        {{"unmark", "020 7946 0958"}, "Removed 020 7946 0958 (Mum) from the allow list.\n"},
        {{"remove-name", "spam*"}, "Removed the name rule SPAM*.\n"},
        {{"remove", "0800*"}, "Removed 0800* (Freephone).\n"},
    };
    for (const auto &step : undo)
        EXPECT_EQ(ok(step.args).toStdString(), step.says) << step.args.join(u' ').toStdString();
    EXPECT_EQ(ok({"list"}).toStdString(), "020 7946 0958  Mum\n               V* [block-name]\n");
}

TEST_F(ContactsCommand, WrongArgumentsAndSourcesAreTold)
{
    const struct
    {
        QStringList args;
        ExitCode exitCode;
        const char *says;
    } cases[] = {
        {{}, ExitUsage, "Give a command"},
        {{"call", "1"}, ExitUsage, "Unknown command 'call'"},
        {{"add", "1"}, ExitUsage, "add takes NUMBER NAME"},
        {{"add", "1", "  "}, ExitUsage, "Give a NAME of 1 to"},
        {{"list", "extra"}, ExitUsage, "list takes no arguments"},
        {{"list", "--format", "vcard"}, ExitUsage, "give text, csv or json"},
        {{"export", "--format", "json"}, ExitUsage, "give vcard or csv"},
        {{"remove", "1", "--format", "csv"}, ExitUsage, "--format goes with list and export"},
        {{"block"}, ExitUsage, "block takes NUMBER"},
        {{"unmark", "1", "2"}, ExitUsage, "unmark takes NUMBER"},
        {{"block-name", " "}, ExitUsage, "Give a RULE of 1 to"},
        {{"list", "--dsn", "a;Driver=x"}, ExitUsage, "is not a data source name"},
        {{"list", "--dsn", "NoSuchSource"}, ExitNoDataSource, "no ODBC data source"},
        {{"list", "--dsn", "Gone"}, ExitUnreachable, "cannot be reached"},
        {{"import", "/no/such/file.vcf"}, ExitNotFound, "Could not read /no/such/file.vcf"},
        {{"--help"}, ExitOk, ""},
    };
    for (const auto &c : cases) {
        const CommandRun r = run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(u' ').toStdString() << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(c.says))) << r.err.toStdString();
    }
    EXPECT_TRUE(run({"--help"}).out.startsWith(u"Usage: ringvane-contacts list"_qs));
}

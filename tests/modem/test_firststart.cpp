#include "modem/DeviceAccess.h"
#include "modem/FirstStart.h"
#include "modem/PortSettings.h"
#include "tests/support/LanguageScope.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using modem::StartFacts;

namespace {

const QString kReport = QStringLiteral("/dev/ttyS0: nothing answered like a modem; left alone.\n"
                                       "/dev/ttyUSB0 (/dev/serial/by-id/usb-x): you may not open it. Only ...\n");
const char *const kNoModem = "No caller-ID modem found: see Help, or run ringvane-find-modems in a terminal";
const char *const kNoReport =
    "ringvane-find-modems left no report: run it in a terminal to look for modems and see why none was found.";

} // namespace

TEST(StartNotice, SaysWhatIsWrongOnlyWhereStartUpLeftTheTipEmpty)
{
    const struct
    {
        const char *name;
        StartFacts facts; // registered, open, tip empty, refused device and group, report
        const char *tip;       // nullptr: nothing new
        const char *firstLine; // the first receive-log line after the tip
    } cases[] = {
        {"no modem registered", {false, false, true, {}, {}, kReport}, kNoModem, "ringvane-find-modems reported:"},
        {"no modem, no report", {false, false, true, {}, {}, {}}, kNoModem, kNoReport},
        {"registered but missing", {true, false, true, {}, {}, {}}, kNoModem, kNoReport},
        {"refused, joinable group", {false, false, true, "/dev/ttyUSB0", "dialout", kReport},
         "Join the group \"dialout\" to use /dev/ttyUSB0: see the receive log",
         "Only members of the group \"dialout\" may: add yourself with \"sudo adduser $USER dialout\", then log out and in again."},
        {"refused, administrator's group", {true, false, true, "/dev/ttyS0", "root", {}},
         "/dev/ttyS0 belongs to the administrator: see the receive log",
         "It is reserved for the administrator. To give it to the group \"dialout\", run: echo 'KERNEL==\"ttyS0\", "
         "GROUP=\"dialout\", MODE=\"0660\"' | sudo tee /etc/udev/rules.d/70-ringvane-modem.rules && sudo udevadm "
         "trigger; then add yourself with \"sudo adduser $USER dialout\" and log out and in again."},
        {"a start-up report is in the tip", {true, false, false, "/dev/ttyS0", "dialout", kReport}, nullptr, nullptr},
        {"no modem and the call log's report", {false, false, false, {}, {}, kReport}, nullptr, nullptr},
        {"the modem is open", {true, true, true, {}, {}, kReport}, nullptr, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto notice = modem::startNotice(c.facts);
        ASSERT_EQ(notice.has_value(), c.tip != nullptr);
        if (!notice)
            continue;
        EXPECT_EQ(notice->tip, QString::fromUtf8(c.tip));
        ASSERT_FALSE(notice->logLines.isEmpty());
        EXPECT_EQ(notice->logLines.first(), QString::fromUtf8(c.firstLine));
        if (!c.facts.finderReport.isEmpty())
            EXPECT_EQ(notice->logLines.last(), kReport.split(u'\n', Qt::SkipEmptyParts).last());
    }
    // A long report is cut, so the receive log (6400 characters) keeps the lines before it.
    const auto cut = modem::startNotice({false, false, true, {}, {}, QString(100000, u'x')});
    EXPECT_LT(cut->logLines.join(u'\n').size(), 4000);
    EXPECT_TRUE(cut->logLines.last().contains(modem::finderReportPath()));
}

TEST(FinderReport, ReadBoundedAsPlainTextAndOnlyFromAPrivateFile)
{
    QTemporaryDir dir;
    const QFile::Permissions mine = QFile::ReadOwner | QFile::WriteOwner;
    ASSERT_TRUE(QFile::setPermissions(dir.path(), mine | QFile::ExeOwner));
    const QString path = dir.filePath(QStringLiteral("find-modems.txt"));
    const auto read = [&](const QByteArray &bytes, QFile::Permissions permissions) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        file.setPermissions(permissions);
        return modem::readFinderReport(path);
    };
    EXPECT_EQ(read("ok\tline\n\x1b[2Jbell\x07 \xe2\x80\xae" "evil\r\n", mine),
              QStringLiteral("ok\tline\n^[[2Jbell^G \uFFFDevil^M\n"));
    EXPECT_EQ(read(QByteArray(200000, 'x'), mine).size(), modem::ReportReadLimit);
    EXPECT_TRUE(read("planted", mine | QFile::WriteOther).isEmpty());
    EXPECT_TRUE(read("planted", mine | QFile::WriteGroup).isEmpty());

    read("real", mine);
    const QString link = dir.filePath(QStringLiteral("link.txt"));
    ASSERT_TRUE(QFile::link(path, link));
    EXPECT_TRUE(modem::readFinderReport(link).isEmpty());
    EXPECT_TRUE(modem::readFinderReport(dir.filePath(QStringLiteral("missing"))).isEmpty());
    // A folder others may write to could have had the file swapped.
    ASSERT_TRUE(QFile::setPermissions(dir.path(), mine | QFile::ExeOwner | QFile::WriteOther | QFile::ExeOther));
    EXPECT_TRUE(modem::readFinderReport(path).isEmpty());
}

TEST(FinderReport, TheFirstRefusedDeviceIsFound)
{
    EXPECT_EQ(modem::refusedDeviceIn(kReport), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(modem::refusedDeviceIn(QStringLiteral("/dev/ttyS1: you may not open it. x")), QStringLiteral("/dev/ttyS1"));
    EXPECT_TRUE(modem::refusedDeviceIn(QStringLiteral("/dev/ttyS0: cannot open it (you may not open it.); skipped.")).isEmpty());
}

TEST(FirstStart, TheReceiveLogInGerman)
{
    const LanguageScope german(QStringLiteral("de"));
    ASSERT_TRUE(german.loaded());
    const auto notice = modem::startNotice({false, false, true, {}, {}, {}});
    // The German finder's line, as the launcher keeps it.
    const QString refused =
        QCoreApplication::translate("ringvane-find-modems", modem::MayNotOpenLine)
            .arg(QStringLiteral("/dev/ttyUSB1 (/dev/serial/by-id/usb-y)"), QStringLiteral("..."));
    const struct
    {
        QString said;
        const char *german;
    } cases[] = {
        {notice->tip, "Kein Modem mit Rufnummernanzeige gefunden: siehe Hilfe, oder führen Sie "
                      "ringvane-find-modems in einem Terminal aus"},
        {notice->logLines.value(0), "ringvane-find-modems hat keinen Bericht hinterlassen: Führen "
                                    "Sie es in einem Terminal aus, um nach Modems zu suchen und "
                                    "zu sehen, warum keines gefunden wurde."},
        {modem::deviceLostReport().message, "Das Modem ist nicht mehr da"},
        {refused, "/dev/ttyUSB1 (/dev/serial/by-id/usb-y): Sie dürfen es nicht öffnen. ..."},
        {modem::refusedDeviceIn(kReport.section(u'\n', 0, 0) + u'\n' + refused), "/dev/ttyUSB1"},
        {modem::refusedDeviceIn(kReport), "/dev/ttyUSB0"}, // and the English one still
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.said, QString::fromUtf8(c.german));
}

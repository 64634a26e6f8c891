// The phonebook in the window: tooltips of listed and past calls, and the call list's
// context menu and dialog writing it, over the real SQLite ODBC driver.
#include "calllog/CallLog.h"
#include "calllog/TAPI.h"
#include "shell/ContactDialog.h"
#include "shell/ReceiveLogView.h"
#include "shell/frmMain.h"
#include "tests/calllog/OdbcSandbox.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeComm.h"
#include "tests/support/LocaleScope.h"
#include "tests/support/TestHelpers.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

class PhonebookWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        OdbcSandbox::instance().resetCallLog();
        TAPI::releaseConnection();
        TAPI::connection().setCursorLocation(db::adUseClient);
        TAPI::connection().Open(TAPI::callLogSource(), QString(), QString(), -1);
        line = new FakeComm;
        window = std::make_unique<frmMain>(line, clock);
        window->strDateSep = QStringLiteral("/");
        window->strTimeSep = QStringLiteral(":");
        line->setPortOpen(true);
        window->startCallLog();
        phonebook({{QStringLiteral("+44 20 7946 0958"), QStringLiteral("Mum"), QString()}});
        window->startCallers(QStringLiteral("GB"));
        ASSERT_TRUE(waitFor([&] { return !describe(QStringLiteral("02079460958")).isEmpty(); }));
    }

    void TearDown() override
    {
        window.reset();
        TAPI::recordsetVariable().reset();
        TAPI::releaseConnection();
        QDir(CallSpool::defaultFolder()).removeRecursively();
    }

    QString describe(const QString &number) const
    {
        return window->callPipeline().callers()->describe(number, {}).contact;
    }

    void phonebook(const QList<Contact> &contacts)
    {
        CallLog log(OdbcSandbox::instance().admin());
        if (const Result<void> made = CallLog::createPhonebook(OdbcSandbox::instance().admin()); !made)
            throw made.failure();
        OdbcSandbox::instance().admin().Execute(QStringLiteral("DELETE FROM Phonebook"));
        if (const Result<void> added = log.changePhonebook({contacts, {}}); !added)
            throw added.failure();
    }

    QList<Contact> stored()
    {
        const Result<QList<Contact>> read = CallLog(OdbcSandbox::instance().admin()).readPhonebook();
        return read ? *read : QList<Contact>{};
    }

    void deliver(const QString &number, const QString &name)
    {
        const int before = window->lstCID->count();
        line->receive(QStringLiteral("DATE = 1013\r\nTIME = 1425\r\nNMBR = ") + number +
                      (name.isEmpty() ? QString() : QStringLiteral("\r\nNAME = ") + name) +
                      QStringLiteral("\r\n\r\n"));
        ASSERT_TRUE(waitFor([&] {
            return window->lstCID->count() > before && !window->callRecorder().busy();
        }));
    }

    QString shownToolTip(int row) const
    {
        QTextDocument shown;
        shown.setHtml(window->lstCID->item(row)->toolTip());
        return shown.toPlainText();
    }

    // The call's context menu as Shift+F10 opens it: its entries' texts.
    QMenu *openMenu(int row)
    {
        window->lstCID->setCurrentRow(row);
        QTest::keyClick(window->lstCID, Qt::Key_F10, Qt::ShiftModifier);
        return qobject_cast<QMenu *>(QApplication::activePopupWidget());
    }

    static QStringList texts(const QMenu *menu)
    {
        QStringList entries;
        for (const QAction *action : menu->actions())
            entries << action->text();
        return entries;
    }

    void choose(int row, const QString &entry)
    {
        QMenu *menu = openMenu(row);
        ASSERT_NE(menu, nullptr);
        for (QAction *action : menu->actions()) {
            if (action->text() == entry)
                action->trigger();
        }
        menu->close();
    }

    LocaleScope locale{"en_GB.UTF-8"};
    FakeClock clock{dates::makeDateTime(QDate(2002, 10, 13), QTime(15, 0))};
    FakeComm *line = nullptr;
    std::unique_ptr<frmMain> window;
};

} // namespace

// Tooltips say who is calling; the list lines and the stored rows keep what the line sent.
TEST_F(PhonebookWindow, TooltipsNameTheContactAndFollowItsChanges)
{
    const struct
    {
        const char *number;
        const char *name;
        const char *shown;
    } cases[] = {
        {"02079460958", "", "Mum\n020 7946 0958"},
        {"00442079460958", "MUM", "Mum\n020 7946 0958"},
        {"02079460958", "<b>SMITH", "Mum\n<B>SMITH\n020 7946 0958"},
        {"02079460000", "", "020 7946 0000\nLondon"},
        {"02079460000", "ACME", "ACME"},
    };
    for (const auto &c : cases)
        deliver(QString::fromUtf8(c.number), QString::fromUtf8(c.name));
    for (int row = 0; row < int(std::size(cases)); ++row)
        EXPECT_EQ(shownToolTip(row), QString::fromUtf8(cases[row].shown)) << cases[row].number;
    EXPECT_EQ(window->lstCID->item(0)->text(), QStringLiteral("001.[2002/10/13 14:25] 02079460958"));
    const auto rows = queryRows(OdbcSandbox::instance().admin(),
                                QStringLiteral("select number from idlist order by rowid"));
    ASSERT_EQ(rows.size(), qsizetype(std::size(cases)));
    EXPECT_EQ(rows[1][0].toString(), QStringLiteral("00442079460958"));

    // Another program renames the contact and names the other number: the listed calls follow.
    phonebook({{QStringLiteral("02079460958"), QStringLiteral("Mother"), QString()},
               {QStringLiteral("020 7946 0000"), QStringLiteral("Office"), QString()}});
    window->callPipeline().callers()->start();
    ASSERT_TRUE(waitFor([&] { return shownToolTip(4) == QStringLiteral("Office\nACME\n020 7946 0000"); }));
    EXPECT_EQ(shownToolTip(0), QStringLiteral("Mother\n020 7946 0958"));
    EXPECT_EQ(shownToolTip(3), QStringLiteral("Office\n020 7946 0000"));

    // The day view's past calls get the same.
    window->brToday_Click();
    ASSERT_EQ(window->lstCID->count(), int(std::size(cases)));
    EXPECT_EQ(shownToolTip(1), QStringLiteral("Mother\n020 7946 0958"));
    EXPECT_EQ(shownToolTip(3), QStringLiteral("Office\n020 7946 0000"));
}

// The menu offers what fits the caller; the dialog and removal write the phonebook, and
// the call's tooltip follows.
TEST_F(PhonebookWindow, TheCallMenuNamesRenamesAndRemovesCallers)
{
    deliver(QStringLiteral("00442079460958"), {});
    deliver(QStringLiteral("02079460000"), {});
    const struct
    {
        int row;
        QStringList entries;
    } menus[] = {
        {0, {QStringLiteral("Change name…"), QStringLiteral("Remove from phonebook")}},
        {1, {QStringLiteral("Name this caller…")}},
    };
    for (const auto &m : menus) {
        QMenu *menu = openMenu(m.row);
        ASSERT_NE(menu, nullptr) << m.row;
        EXPECT_EQ(texts(menu), m.entries);
        menu->close();
    }
    QSignalSpy edited(window.get(), &frmMain::phonebookEdited);

    // Naming: the number prefilled, the name focused, Enter saves; Esc leaves it unsaved.
    for (const bool save : {false, true}) {
        choose(1, QStringLiteral("Name this caller…"));
        auto *dialog = window->findChild<ContactDialog *>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->numberField()->text(), QStringLiteral("02079460000"));
        EXPECT_EQ(dialog->focusWidget(), dialog->nameField());
        QTest::keyClicks(dialog->nameField(), QStringLiteral("Office"));
        QTest::keyClick(dialog->nameField(), save ? Qt::Key_Return : Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(window->findChild<ContactDialog *>(), nullptr);
    }
    ASSERT_TRUE(waitFor([&] { return edited.size() == 1; }));
    EXPECT_EQ(stored().size(), 2);
    EXPECT_EQ(stored().last(), (Contact{QStringLiteral("02079460000"), QStringLiteral("Office"), QString()}));
    ASSERT_TRUE(waitFor([&] { return shownToolTip(1) == QStringLiteral("Office\n020 7946 0000"); }));

    // Renaming a call renames the entry its number matches, however it was written.
    choose(0, QStringLiteral("Change name…"));
    auto *dialog = window->findChild<ContactDialog *>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->nameField()->text(), QStringLiteral("Mum"));
    QTest::keyClicks(dialog->nameField(), QStringLiteral("Mother"));
    QTest::keyClick(dialog->nameField(), Qt::Key_Enter);
    ASSERT_TRUE(waitFor([&] { return edited.size() == 2; }));
    EXPECT_EQ(stored().first(), (Contact{QStringLiteral("+44 20 7946 0958"), QStringLiteral("Mother"), QString()}));
    ASSERT_TRUE(waitFor([&] { return shownToolTip(0) == QStringLiteral("Mother\n020 7946 0958"); }));

    choose(0, QStringLiteral("Remove from phonebook"));
    ASSERT_TRUE(waitFor([&] { return edited.size() == 3; }));
    EXPECT_EQ(stored().size(), 1);
    ASSERT_TRUE(waitFor([&] { return shownToolTip(0) == QStringLiteral("020 7946 0958\nLondon"); }));
}

// A phonebook that cannot be written is said like the call log's other problems.
TEST_F(PhonebookWindow, AnEditThatFailsIsSaidInTheTipAndTheReceiveLog)
{
    deliver(QStringLiteral("02079460958"), {});
    OdbcSandbox::instance().admin().Execute(QStringLiteral("DROP TABLE Phonebook"));
    OdbcSandbox::instance().admin().Execute(QStringLiteral("CREATE VIEW Phonebook AS SELECT 1 AS number"));
    choose(0, QStringLiteral("Remove from phonebook"));
    ASSERT_TRUE(waitFor([&] { return window->lblTip->text() == QStringLiteral("The phonebook could not be changed"); }));
    EXPECT_TRUE(window->RcvText->toPlainText().contains(QStringLiteral("The phonebook could not be changed")));
}

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
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
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
        window = std::make_unique<frmMain>(line = new FakeComm, clock);
        window->strDateSep = u"/"_qs;
        window->strTimeSep = u":"_qs;
        line->setPortOpen(true);
        window->startCallLog();
        phonebook({{u"+44 20 7946 0958"_qs, u"Mum"_qs, {}}});
        window->startCallers(u"GB"_qs);
        ASSERT_TRUE(waitFor([&] {
            return !window->callPipeline().callers()->describe(u"02079460958"_qs, {}).contact.isEmpty();
        }));
    }

    void TearDown() override
    {
        window.reset();
        TAPI::recordsetVariable().reset();
        TAPI::releaseConnection();
    }

    void phonebook(const QList<Contact> &contacts)
    {
        admin().Execute(u"DROP TABLE IF EXISTS Phonebook"_qs);
        ASSERT_TRUE(CallLog(admin()).changePhonebook({contacts, {}}).ok());
    }
    QList<Contact> stored() { return CallLog(admin()).readPhonebook().valueOr({}); }
    static db::Connection &admin() { return OdbcSandbox::instance().admin(); }

    void deliver(const QString &number, const QString &name = {})
    {
        const int before = window->lstCID->count();
        line->receive(u"DATE = 1013\r\nTIME = 1425\r\nNMBR = "_qs + number +
                      (name.isEmpty() ? QString() : u"\r\nNAME = "_qs + name) + u"\r\n\r\n"_qs);
        ASSERT_TRUE(waitFor(
            [&] { return window->lstCID->count() > before && !window->callRecorder().busy(); }));
    }

    QString shownToolTip(int row) const
    {
        QTextDocument shown;
        shown.setHtml(window->lstCID->item(row)->toolTip());
        return shown.toPlainText();
    }

    // The entries of the call's context menu as Shift+F10 (way 0), the Menu key (1) or a
    // right click (2) opens it; the one named chosen.
    QStringList menu(int row, const QString &chosen = {}, int way = 0)
    {
        QListWidget *list = window->lstCID;
        list->setCurrentRow(way == 2 ? 0 : row);
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QContextMenuEvent asked(way == 1 ? QContextMenuEvent::Keyboard : QContextMenuEvent::Mouse,
                                at, list->viewport()->mapToGlobal(at));
        if (way == 0)
            QTest::keyClick(list, Qt::Key_F10, Qt::ShiftModifier);
        else
            QApplication::sendEvent(way == 1 ? list : list->viewport(), &asked);
        QStringList entries;
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            for (QAction *action : menu->actions())
                entries << action->text();
            menu->close();
            if (QAction *action = menu->actions().value(entries.indexOf(chosen)))
                action->trigger();
        }
        return entries;
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
    const char *cases[][3] = {
        {"02079460958", "", "Mum\n020 7946 0958"},
        {"00442079460958", "MUM", "Mum\n020 7946 0958"},
        {"02079460958", "<b>SMITH", "Mum\n<B>SMITH\n020 7946 0958"},
        {"02079460000", "", "020 7946 0000\nLondon"},
        {"02079460000", "ACME", "ACME"},
    };
    for (const auto &c : cases)
        deliver(QString::fromUtf8(c[0]), QString::fromUtf8(c[1]));
    for (int row = 0; row < int(std::size(cases)); ++row)
        EXPECT_EQ(shownToolTip(row), QString::fromUtf8(cases[row][2])) << cases[row][0];
    EXPECT_EQ(window->lstCID->item(1)->text(), u"002.[2002/10/13 14:25] 00442079460958"_qs);
    EXPECT_EQ(queryRows(admin(), u"select number from idlist"_qs).at(1).at(0), u"00442079460958"_qs);

    // Another program renames the contact and names the other number: the listed calls follow.
    phonebook({{u"02079460958"_qs, u"Mother"_qs, {}}, {u"020 7946 0000"_qs, u"Office"_qs, {}}});
    window->callPipeline().callers()->start();
    ASSERT_TRUE(waitFor([&] { return shownToolTip(4) == u"Office\nACME\n020 7946 0000"_qs; }));
    EXPECT_EQ(shownToolTip(0), u"Mother\n020 7946 0958"_qs);

    // The day view's past calls get the same.
    window->brToday_Click();
    ASSERT_EQ(window->lstCID->count(), int(std::size(cases)));
    EXPECT_EQ(shownToolTip(1), u"Mother\n020 7946 0958"_qs);
    EXPECT_EQ(shownToolTip(3), u"Office\n020 7946 0000"_qs);
}

// The menu offers what fits the caller; the dialog and removal write the phonebook, and
// the call's tooltip follows.
TEST_F(PhonebookWindow, TheCallMenuNamesRenamesAndRemovesCallers)
{
    deliver(u"00442079460958"_qs);
    deliver(u"02079460000"_qs);
    for (int way : {0, 1, 2}) {
        EXPECT_EQ(menu(0, {}, way), (QStringList{u"Change name…"_qs, u"Remove from phonebook"_qs}));
        EXPECT_EQ(menu(1, {}, way), QStringList{u"Name this caller…"_qs}) << way;
    }

    // The number prefilled, the name focused; Esc leaves the phonebook as it was, Enter saves.
    const struct { int row; const char *entry, *number, *name; Qt::Key key; } edits[] = {
        {1, "Name this caller…", "02079460000", "", Qt::Key_Escape},
        {1, "Name this caller…", "02079460000", "", Qt::Key_Return},
        {0, "Change name…", "00442079460958", "Mum", Qt::Key_Enter},
    };
    for (const auto &e : edits) {
        menu(e.row, QString::fromUtf8(e.entry));
        auto *dialog = window->findChild<ContactDialog *>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->numberField()->text(), QString::fromUtf8(e.number));
        EXPECT_EQ(dialog->nameField()->text(), QString::fromUtf8(e.name));
        EXPECT_EQ(dialog->focusWidget(), dialog->nameField());
        QTest::keyClicks(dialog->nameField(), e.row == 1 ? u"Office"_qs : u"Mother"_qs);
        QTest::keyClick(dialog->nameField(), e.key);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the dialog closed
    }
    // The rename goes to the entry the call's number matches, however it was written.
    const QList<Contact> saved{{u"+44 20 7946 0958"_qs, u"Mother"_qs, {}}, {u"02079460000"_qs, u"Office"_qs, {}}};
    ASSERT_TRUE(waitFor([&] { return stored() == saved; }));
    ASSERT_TRUE(waitFor([&] { return shownToolTip(0) == u"Mother\n020 7946 0958"_qs; }));
    EXPECT_EQ(shownToolTip(1), u"Office\n020 7946 0000"_qs);

    menu(0, u"Remove from phonebook"_qs);
    ASSERT_TRUE(waitFor([&] { return stored() == saved.mid(1); }));
    ASSERT_TRUE(waitFor([&] { return shownToolTip(0) == u"020 7946 0958\nLondon"_qs; }));

    // A phonebook that cannot be written is said like the call log's other problems.
    admin().Execute(u"DROP TABLE Phonebook"_qs);
    admin().Execute(u"CREATE VIEW Phonebook AS SELECT 1 AS number"_qs);
    menu(1, u"Remove from phonebook"_qs);
    const QString unchanged = u"The phonebook could not be changed"_qs;
    ASSERT_TRUE(waitFor([&] { return window->lblTip->text() == unchanged; }));
    EXPECT_TRUE(window->RcvText->toPlainText().contains(unchanged));
}

// The phonebook in the window: tooltips of listed and past calls, and the call list's
// context menu and dialog writing it, over the real SQLite ODBC driver.
#include "calllog/CallLog.h"
#include "calllog/TAPI.h"
#include "shell/ContactDialog.h"
#include "shell/ReceiveLogView.h"
#include "shell/TipLine.h"
#include "shell/frmMain.h"
#include "tests/calllog/OdbcSandbox.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeComm.h"
#include "tests/support/LocaleScope.h"
#include "tests/support/SqliteLock.h"
#include "tests/support/TestHelpers.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTextDocumentFragment>

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

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
        ASSERT_TRUE(CallLog(admin()).addContact({u"+44 20 7946 0958"_qs, u"Mum"_qs, {}}).ok());
        openWindow();
    }

    void openWindow()
    {
        window.reset();
        window = std::make_unique<frmMain>(line = new FakeComm, clock);
        line->setPortOpen(true);
        window->startCallLog();
        window->startCallers(u"GB"_qs);
        QSignalSpy read(window->callPipeline().callers(), &CallerBook::changed);
        ASSERT_TRUE(read.wait(20000));
    }

    void TearDown() override
    {
        window.reset();
        TAPI::recordsetVariable().reset();
        TAPI::releaseConnection();
    }

    QList<Contact> stored() { return CallLog(admin()).readPhonebook().valueOr({}); }
    static db::Connection &admin() { return OdbcSandbox::instance().admin(); }

    void deliver(const QString &number, const QString &name = {})
    {
        const int before = window->lstCID->count();
        line->receive(u"NMBR = "_qs + number +
                      (name.isEmpty() ? u""_qs : u"\r\nNAME = "_qs + name) + u"\r\n\r\n"_qs);
        ASSERT_TRUE(waitFor(
            [&] { return window->lstCID->count() > before && !window->callRecorder().busy(); }));
    }

    QString shownToolTip(int row) const
    {
        return QTextDocumentFragment::fromHtml(window->lstCID->item(row)->toolTip()).toPlainText();
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

// Tooltips say who is calling; the list lines keep what the line sent.
TEST_F(PhonebookWindow, TooltipsNameTheContactOnListedAndPastCalls)
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
    EXPECT_TRUE(window->lstCID->item(1)->text().endsWith(u"] 00442079460958"_qs));

    // The day view's past calls get the same.
    window->brToday_Click();
    ASSERT_EQ(window->lstCID->count(), int(std::size(cases)));
    EXPECT_EQ(shownToolTip(1), u"Mum\n020 7946 0958"_qs);
    EXPECT_EQ(shownToolTip(3), u"020 7946 0000\nLondon"_qs);
}

// The menu offers what fits the caller; the dialog and removal write the phonebook, and
// the listed calls' tooltips follow it.
TEST_F(PhonebookWindow, TheCallMenuNamesRenamesAndRemovesCallers)
{
    deliver(u"00442079460958"_qs);
    deliver(u"02079460000"_qs);
    const QStringList lists{QString(), u"Block this number"_qs, u"Allow this number"_qs};
    for (int way : {0, 1, 2}) {
        EXPECT_EQ(menu(0, {}, way),
                  (QStringList{u"Change name…"_qs, u"Remove from phonebook"_qs} + lists));
        EXPECT_EQ(menu(1, {}, way), QStringList{u"Name this caller…"_qs} + lists) << way;
    }

    // The number prefilled, the name focused; Esc leaves the phonebook as it was, Enter saves.
    const std::tuple<int, const char *, const char *, const char *, Qt::Key> edits[] = {
        {1, "Name this caller…", "02079460000", "", Qt::Key_Escape},
        {1, "Name this caller…", "02079460000", "", Qt::Key_Return},
        {0, "Change name…", "00442079460958", "Mum", Qt::Key_Enter},
    };
    for (const auto &[row, entry, number, name, key] : edits) {
        menu(row, QString::fromUtf8(entry));
        auto *dialog = window->findChild<ContactDialog *>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->numberField()->text(), QString::fromUtf8(number));
        EXPECT_EQ(dialog->nameField()->text(), QString::fromUtf8(name));
        EXPECT_EQ(dialog->focusWidget(), dialog->nameField());
        QTest::keyClicks(dialog->nameField(), row == 1 ? u"Office"_qs : u"Mother"_qs);
        QTest::keyClick(dialog->nameField(), key);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the dialog closed
    }
    // The rename goes to the entry the call's number matches, however it was written.
    const QList<Contact> saved{{u"+44 20 7946 0958"_qs, u"Mother"_qs, {}},
                               {u"02079460000"_qs, u"Office"_qs, {}}};
    ASSERT_TRUE(waitFor([&] { return stored() == saved; }));
    // The two edits ran on threads of their own; the tooltips follow once both are read.
    ASSERT_TRUE(waitFor([&] {
        return shownToolTip(0) == u"Mother\n020 7946 0958"_qs &&
               shownToolTip(1) == u"Office\n020 7946 0000"_qs;
    }));

    menu(0, u"Remove from phonebook"_qs);
    ASSERT_TRUE(waitFor([&] { return stored() == saved.mid(1); }));
    ASSERT_TRUE(waitFor([&] { return shownToolTip(0) == u"020 7946 0958\nLondon"_qs; }));

    // Blocking marks the contact's own entry, keeping its name; the menu then offers the rest.
    menu(1, u"Block this number"_qs);
    const QList<Contact> blocked{{u"02079460000"_qs, u"Office"_qs, u"block"_qs}};
    ASSERT_TRUE(waitFor([&] { return stored() == blocked; }));
    ASSERT_TRUE(waitFor([&] { return menu(1).contains(u"Remove from the lists"_qs); }));
    EXPECT_FALSE(menu(1).contains(u"Block this number"_qs));
    menu(1, u"Remove from the lists"_qs);
    ASSERT_TRUE(waitFor([&] { return stored() == saved.mid(1); }));
}

// A call hung up on keeps its list line and tip; its item carries the mark and says why,
// and the day view shows the mark the log kept.
TEST_F(PhonebookWindow, ACallHungUpOnIsMarkedInTheListAndTheDayView)
{
    // A log with the column that keeps it, its columns found afresh.
    ASSERT_TRUE(CallLog::addColumns(admin()).ok());
    ASSERT_TRUE(CallLog(admin()).markNumber(u"0800*"_qs, u"block"_qs).ok());
    window.reset();
    TAPI::recordsetVariable().reset();
    TAPI::releaseConnection();
    TAPI::connection().setCursorLocation(db::adUseClient);
    TAPI::connection().Open(TAPI::callLogSource(), QString(), QString(), -1);
    openWindow();
    ScreenRules rules;
    rules.mode = ScreenRules::Mode::List;
    rules.holdMs = 200;
    window->startScreening(rules);

    deliver(u"08005550000"_qs);
    deliver(u"02079460958"_qs);
    EXPECT_TRUE(line->calls.contains(u"Output=ATH1\r"_qs));
    EXPECT_TRUE(window->lstCID->item(0)->text().endsWith(u"] 08005550000"_qs));
    EXPECT_FALSE(window->lstCID->item(0)->icon().isNull());
    EXPECT_EQ(shownToolTip(0),
              u"0800 555 0000\nUnited Kingdom\nHung up: on the block list (0800*)"_qs);
    EXPECT_TRUE(window->lstCID->item(1)->icon().isNull());
    // The mark neither makes its line taller than the others nor takes room before its text.
    const auto lineSize = [&](int row) {
        QStyleOptionViewItem option;
        option.initFrom(window->lstCID);
        option.decorationSize = QSize(16, 16);
        option.features = QStyleOptionViewItem::HasDisplay;
        return window->lstCID->itemDelegate()->sizeHint(option,
                                                        window->lstCID->model()->index(row, 0));
    };
    const auto textRoom = [&](int row) {
        return lineSize(row).width() -
               window->lstCID->fontMetrics().horizontalAdvance(window->lstCID->item(row)->text());
    };
    EXPECT_EQ(lineSize(0).height(), lineSize(1).height());
    EXPECT_EQ(textRoom(0), textRoom(1));

    ASSERT_TRUE(waitFor([&] { return !window->callRecorder().busy(); }));
    window->brToday_Click();
    ASSERT_EQ(window->lstCID->count(), 2);
    EXPECT_FALSE(window->lstCID->item(0)->icon().isNull());
    EXPECT_EQ(shownToolTip(0), u"0800 555 0000\nUnited Kingdom\nHung up"_qs);
    EXPECT_TRUE(window->lstCID->item(1)->icon().isNull());
}

// An edit the call log cannot take is said on the tip line and in the receive log with the
// data source's reason; the phonebook and the listed calls stay as they were.
TEST_F(PhonebookWindow, AnEditTheCallLogCannotTakeIsSaidAndChangesNothing)
{
    if (OdbcSandbox::instance().backend() != OdbcSandbox::Sqlite)
        GTEST_SKIP() << "the call log is broken here through its SQLite file";
    enum Breakage { FileGone, WriteLocked };
    const struct
    {
        const char *what;
        Breakage breakage;
        int row;
        const char *entry;
    } cases[] = {
        {"naming a caller, the log's file gone", FileGone, 1, "Name this caller…"},
        {"renaming, another program holding the write lock", WriteLocked, 0, "Change name…"},
        {"removing, the log's file gone", FileGone, 0, "Remove from phonebook"},
        {"blocking, another program holding the write lock", WriteLocked, 1, "Block this number"},
    };
    deliver(u"02079460958"_qs);
    deliver(u"02079460000"_qs);
    const auto listed = [this] {
        QStringList lines;
        for (int row = 0; row < window->lstCID->count(); ++row)
            lines << window->lstCID->item(row)->text() + u'|' + shownToolTip(row);
        return lines;
    };
    const QStringList before = listed();
    const QList<Contact> saved = stored();
    ASSERT_EQ(saved.size(), 1);
    const QString file = OdbcSandbox::instance().sqliteFile();
    const QString aside = file + u".aside"_qs;

    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        window->ShowTip(QString(), Tip::Good, false);
        const qsizetype logBefore = window->RcvText->toPlainText().size();
        std::optional<SqliteLock> lock;
        if (c.breakage == FileGone) {
            ASSERT_TRUE(QFile::rename(file, aside));
        } else {
            lock.emplace(file);
            ASSERT_TRUE(lock->held());
        }

        menu(c.row, QString::fromUtf8(c.entry));
        if (auto *dialog = window->findChild<ContactDialog *>()) {
            QTest::keyClicks(dialog->nameField(), u"Aunt"_qs);
            QTest::keyClick(dialog->nameField(), Qt::Key_Return);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        const bool said = waitFor([&] { return !window->lblTip->text().isEmpty(); }, 20000);
        // The log back before anything is checked, so that a failed check leaves it whole.
        if (c.breakage == FileGone) {
            ASSERT_TRUE(QFile::rename(aside, file));
        }
        lock.reset();
        ASSERT_TRUE(said);

        EXPECT_EQ(window->lblTip->text(), u"The phonebook could not be changed"_qs);
        EXPECT_EQ(window->lblTipForeColor(), tipColour(Tip::LogProblem));
        // The date, the message, the data source's reason.
        const QStringList lines = window->RcvText->toPlainText().mid(logBefore).split(
            QRegularExpression(u"[\\r\\n]+"_qs), Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 3) << lines.join(u'|').toStdString();
        EXPECT_EQ(lines.at(1), u"The phonebook could not be changed"_qs);
        EXPECT_TRUE(lines.at(2).contains(c.breakage == FileGone ? u"connect"_qs : u"locked"_qs,
                                         Qt::CaseInsensitive))
            << lines.at(2).toStdString();

        EXPECT_EQ(stored(), saved);
        EXPECT_EQ(listed(), before);
    }
}

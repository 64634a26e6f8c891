// The window in German and Chinese: its own texts translated, Qt's buttons too, while the
// texts the line sent stay as they came.
#include "calllog/CallLog.h"
#include "calllog/TAPI.h"
#include "shell/ContactDialog.h"
#include "shell/ReceiveLogView.h"
#include "shell/frmMain.h"
#include "picturebutton/btn.h"
#include "tests/calllog/OdbcSandbox.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeComm.h"
#include "tests/support/LocaleScope.h"
#include "tests/support/TestHelpers.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

#include <gtest/gtest.h>

namespace {

// Our translation and Qt's own for one language, as the program installs them.
class Language
{
public:
    explicit Language(const char *name)
    {
        const QString language = QString::fromLatin1(name);
        EXPECT_TRUE(m_ours.load(u"ringvane_"_qs + language, u":/i18n"_qs));
        EXPECT_TRUE(m_qt.load(QLocale(language), u"qtbase"_qs, u"_"_qs,
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
        QCoreApplication::installTranslator(&m_ours);
        QCoreApplication::installTranslator(&m_qt);
    }
    ~Language()
    {
        QCoreApplication::removeTranslator(&m_qt);
        QCoreApplication::removeTranslator(&m_ours);
    }

private:
    QTranslator m_ours;
    QTranslator m_qt;
};

const struct Expected
{
    const char *locale;
    const char *language;
    const char *powerTip;
    const char *notYetSaved;
    const char *dayUnreadable;
    const char *nameEntry;
    const char *numberLabel;
    const char *save;
    const char *cancel;
} kLanguages[] = {
    {"de_DE.UTF-8", "de", "Ringvane starten", "Noch nicht in der Anrufliste gespeichert",
     "Die Anrufliste konnte für diesen Tag nicht gelesen werden", "Diesen Anrufer benennen…",
     "&Rufnummer:", "Speichern", "Abbrechen"},
    {"zh_CN.UTF-8", "zh_CN", "启动 Ringvane", "尚未保存到通话记录", "无法读取这一天的通话记录",
     "为此来电者命名…", "号码(&N)：", "保存", "取消"},
};

class WindowLanguages : public ::testing::Test
{
protected:
    void TearDown() override
    {
        window.reset();
        TAPI::recordsetVariable().reset();
        TAPI::releaseConnection();
    }

    // callLog: open on a fresh log, with the phonebook; else without database support.
    void openWindow(bool callLog)
    {
        window.reset();
        TAPI::releaseConnection();
        if (callLog) {
            OdbcSandbox::instance().resetCallLog();
            TAPI::connection().setCursorLocation(db::adUseClient);
            TAPI::connection().Open(TAPI::callLogSource(), QString(), QString(), -1);
        }
        window = std::make_unique<frmMain>(line = new FakeComm, clock);
        line->setPortOpen(true);
        window->startCallLog(!callLog);
        if (callLog)
            window->startCallers(u"GB"_qs);
    }

    void deliver(const QString &number)
    {
        const int before = window->lstCID->count();
        line->receive(u"NMBR = "_qs + number + u"\r\n\r\n"_qs);
        ASSERT_TRUE(waitFor(
            [&] { return window->lstCID->count() > before && !window->callRecorder().busy(); }));
    }

    FakeClock clock{dates::makeDateTime(QDate(2002, 10, 13), QTime(15, 0))};
    FakeComm *line = nullptr;
    std::unique_ptr<frmMain> window;
};

} // namespace

TEST_F(WindowLanguages, TheWindowsTipsAndAWaitingCallsTooltipAreTranslated)
{
    for (const Expected &e : kLanguages) {
        SCOPED_TRACE(e.language);
        LocaleScope locale(e.locale);
        Language language(e.language);
        openWindow(false);
        EXPECT_EQ(window->Power->toolTip(), QString::fromUtf8(e.powerTip));
        deliver(u"5550123"_qs);
        EXPECT_EQ(window->lstCID->item(0)->toolTip(), QString::fromUtf8(e.notYetSaved));
        EXPECT_TRUE(window->lstCID->item(0)->text().endsWith(u"] 5550123"_qs));
    }
}

TEST_F(WindowLanguages, ADayTheCallLogCannotReadIsSaidInTheLanguage)
{
    for (const Expected &e : kLanguages) {
        SCOPED_TRACE(e.language);
        LocaleScope locale(e.locale);
        Language language(e.language);
        ASSERT_NO_FATAL_FAILURE(openWindow(true));
        OdbcSandbox::instance().admin().Execute(u"DROP TABLE IDList"_qs);
        window->brToday_Click();
        const QString said = QString::fromUtf8(e.dayUnreadable);
        EXPECT_EQ(window->lblTip->text(), said);
        EXPECT_TRUE(window->RcvText->toPlainText().contains(u'\n' + said + u'\n'))
            << window->RcvText->toPlainText().toStdString();
    }
}

TEST_F(WindowLanguages, ThePhonebookDialogAndItsButtonsAreTranslated)
{
    for (const Expected &e : kLanguages) {
        SCOPED_TRACE(e.language);
        LocaleScope locale(e.locale);
        Language language(e.language);
        ASSERT_NO_FATAL_FAILURE(openWindow(true));
        ASSERT_NO_FATAL_FAILURE(deliver(u"02079460000"_qs));
        window->lstCID->setCurrentRow(0);
        QTest::keyClick(window->lstCID, Qt::Key_F10, Qt::ShiftModifier);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        const QString entry = QString::fromUtf8(e.nameEntry);
        ASSERT_EQ(menu->actions().value(0)->text(), entry);
        menu->close();
        menu->actions().value(0)->trigger();

        auto *dialog = window->findChild<ContactDialog *>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), entry.chopped(1));
        auto *form = dialog->findChild<QFormLayout *>();
        auto *label = qobject_cast<QLabel *>(form->labelForField(dialog->numberField()));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), QString::fromUtf8(e.numberLabel));
        auto *buttons = dialog->findChild<QDialogButtonBox *>();
        EXPECT_EQ(buttons->button(QDialogButtonBox::Save)->text(), QString::fromUtf8(e.save));
        EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8(e.cancel));
        dialog->reject();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

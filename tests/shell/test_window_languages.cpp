// The window in German and Chinese: its own texts and Qt's buttons translated.
#include "calllog/TAPI.h"
#include "picturebutton/btn.h"
#include "shell/ContactDialog.h"
#include "shell/LayoutBuilder.h"
#include "shell/ReceiveLogView.h"
#include "shell/frmMain.h"
#include "tests/calllog/OdbcSandbox.h"
#include "tests/support/FakeComm.h"
#include "tests/support/LanguageScope.h"
#include "tests/support/LocaleScope.h"
#include "tests/support/TestHelpers.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

// A call's menu and dialog, a day the log cannot read, then a call it cannot take.
TEST(WindowLanguages, CallsAndCallLogFailuresAreSaidInTheLanguage)
{
    const struct
    {
        const char *locale, *language, *powerTip, *nameEntry, *numberLabel, *save, *cancel,
            *dayUnreadable, *notYetSaved;
    } cases[] = {
        {"de_DE.UTF-8", "de", "Ringvane starten", "Diesen Anrufer benennen…", "&Rufnummer:",
         "Speichern", "Abbrechen", "Die Anrufliste konnte für diesen Tag nicht gelesen werden",
         "Noch nicht in der Anrufliste gespeichert"},
        {"zh_CN.UTF-8", "zh_CN", "启动 Ringvane", "为此来电者命名…", "号码(&N)：", "保存", "取消",
         "无法读取这一天的通话记录", "尚未保存到通话记录"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.language);
        LocaleScope locale(c.locale);
        const LanguageScope language(QString::fromLatin1(c.language));
        OdbcSandbox::instance().resetCallLog();
        TAPI::releaseConnection();
        TAPI::connection().Open(TAPI::callLogSource(), QString(), QString(), -1);
        auto *line = new FakeComm;
        auto window = std::make_unique<frmMain>(line);
        line->setPortOpen(true);
        window->startCallLog();
        window->startCallers(u"GB"_qs);
        EXPECT_EQ(window->Power->toolTip(), QString::fromUtf8(c.powerTip));
        // The layout file is not read by lupdate: a tip missing from its table stays English.
        for (const layoutdata::ControlLayout &control :
             layoutbuilder::loadWindow(u":/layout/frmMain.json"_qs).controls) {
            if (!control.tip.isEmpty()) {
                EXPECT_NE(QCoreApplication::translate("Layout", control.tip.toUtf8().constData()),
                          control.tip);
            }
        }
        const auto deliver = [&] {
            line->receive(u"NMBR = 02079460000\r\n\r\n"_qs);
            return waitFor(
                [&] { return window->lstCID->count() == 1 && !window->callRecorder().busy(); });
        };
        ASSERT_TRUE(deliver());

        window->lstCID->setCurrentRow(0);
        QTest::keyClick(window->lstCID, Qt::Key_F10, Qt::ShiftModifier);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(menu->actions().value(0)->text(), QString::fromUtf8(c.nameEntry));
        menu->close();
        menu->actions().value(0)->trigger();
        auto *dialog = window->findChild<ContactDialog *>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->findChild<QLabel *>()->text(), QString::fromUtf8(c.numberLabel));
        const auto *buttons = dialog->findChild<QDialogButtonBox *>();
        EXPECT_EQ(buttons->button(QDialogButtonBox::Save)->text(), QString::fromUtf8(c.save));
        EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8(c.cancel));
        dialog->reject();

        OdbcSandbox::instance().admin().Execute(u"DROP TABLE IDList"_qs);
        window->brToday_Click();
        const QString unreadable = QString::fromUtf8(c.dayUnreadable);
        EXPECT_EQ(window->lblTip->text(), unreadable);
        EXPECT_TRUE(window->RcvText->toPlainText().contains(u'\n' + unreadable + u'\n'));
        ASSERT_TRUE(deliver());
        EXPECT_TRUE(window->lstCID->item(0)->toolTip().contains(QString::fromUtf8(c.notYetSaved)));

        window.reset();
        TAPI::recordsetVariable().reset();
        TAPI::releaseConnection();
    }
}

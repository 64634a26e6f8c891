// The day history view and the two tabs over the call list.
#include "shell/frmMain.h"

#include "calllog/CallLog.h"
#include "calllog/DayView.h"
#include "failure/Failure.h"
#include "locale/LocaleDates.h"
#include "locale/LocaleSupport.h"
#include "shell/ReceiveLogView.h"
#include "calllog/TAPI.h"
#include "picturebutton/btn.h"

#include <QLineEdit>

void frmMain::ShowDay(const QString &dayText)
{
    const std::optional<QDate> day = dates::parseDayText(dayText);
    if (!day)
        return;
    try {
        if (TAPI::connection().State() == db::adStateClosed)
            return;
    } catch (const Failure &) {
        return;
    }
    // The writer found the log unreachable: a query now would only wait for it.
    if (callRecorder().callLogDown()) {
        const QString reason =
            callRecorder().callLogDownReason().section(QLatin1Char('\n'), 0, 0).trimmed();
        ShowTip(tr("The call log is unavailable: %1").arg(reason), Tip::LogProblem, false);
        return;
    }

    bool opened = false;
    QString failure;
    try {
        failure = TAPI::OpenRecordset(CallLog::dayQuery(*day), TAPI::recordsetVariable(), 0,
                                      db::CommandOption::Text, db::LockType::ReadOnly)
                      .errorString();
        opened = TAPI::recordset().State() == db::adStateOpen;
    } catch (const Failure &f) {
        failure = f.description();
    }
    lstCID->clear();
    m_callRows.clear();

    QStringList lines;
    QStringList names;
    QStringList numbers;
    QList<bool> blocked;
    if (opened) {
        try {
            lines = dayview::readDayLines(
                TAPI::recordset(), lstCID->count() + 1, dayview::ListCapacity - lstCID->count(),
                dates::decimalSeparator(), strDateSep, strTimeSep, &names, &numbers, &blocked);
        } catch (const Failure &f) {
            opened = false;
            failure = f.description();
        }
    }
    // A half-read day would pass for the whole of it: show nothing and say why.
    if (!opened) {
        ReportCallLogProblem(tr("The call log could not be read for this day"), failure);
        return;
    }
    // One insertion for the whole day rather than a layout pass per row.
    const int first = lstCID->count();
    lstCID->addItems(lines);
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (QListWidgetItem *item = lstCID->item(first + int(i))) {
            if (!names.at(i).isEmpty())
                item->setData(kNameRole, names.at(i));
            item->setData(kNumberRole, numbers.at(i));
            // The log keeps that the line was hung up on, not why.
            markCall(item, QString(), blocked.value(i));
            showCallToolTip(item);
        }
    }
}

void frmMain::brDay_KeyDown(int KeyCode, int)
{
    if (KeyCode == 13)
        ShowDay(brDay->text());
}

void frmMain::pageDay(int days)
{
    const std::optional<QDate> day = dayview::pagedDay(brDay->text(), days);
    if (!day)
        return;
    brDay->setText(FormatLocalDate(dates::makeDateTime(*day), true));
    ShowDay(brDay->text());
}

void frmMain::brPrev_Click()
{
    pageDay(-1);
}

void frmMain::brNext_Click()
{
    pageDay(1);
}

void frmMain::brToday_Click()
{
    brDay->setText(FormatLocalDate(m_clock.now(), true));
    ShowDay(brDay->text());
}

void frmMain::btnRcd_Click()
{
    btnRcd->Value(1);
    btnMdm->Value(0);
    RcvText->hide();
}

void frmMain::btnMdm_Click()
{
    btnRcd->Value(0);
    btnMdm->Value(1);
    RcvText->show();
}

#pragma once

#include "calllog/CallPipeline.h"
#include "locale/DateServices.h"
#include "platform/DesktopNotifications.h"
#include "shell/LayoutData.h"
#include "shell/PhonebookEdit.h"
#include "shell/TipLine.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QListWidget>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <QElapsedTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <utility>

class Comm;
class FailureTrap;
class FeedServer;
struct ProgramOptions;
class QMouseEvent;
class start;
class QComboBox;
class QLabel;
class QLineEdit;
class QTextBrowser;
class QThread;
class QTimer;
class ReceiveLogView;
class btn;
namespace modem {
class ModemReturnWatch;
}

// The main window. Its controls, members and handlers carry the names of the program's
// design; the logic they run lives in the subsystem libraries and the handlers only glue
// it on. The handlers are spread over frmMain_*.cpp by concern.
class frmMain : public QWidget
{
    Q_OBJECT
    // First of the members: the receive buffer and the separators below are its own.
    const dates::Clock &m_clock;
    CallPipeline *const m_pipeline;

public:
    // The window owns the serial component it is given (a real port when null) and reads
    // "now" from the clock.
    explicit frmMain(Comm *serial = nullptr, const dates::Clock &clock = dates::systemClock(),
                     QWidget *parent = nullptr);
    ~frmMain() override;

    // Start-up and shutdown.
    void Form_Load();
    void btnClose_Click();
    // btnClose_Click has run: the window is closed and the port released. Start-up stops
    // at its next event pass when this happens during one.
    bool isUnloaded() const { return m_unloaded; }
    // After start-up: where it left no modem working and no word in the tip line, says why
    // and what to do, with ringvane-find-modems' report in the receive log.
    void explainMissingModem();

    // Status tip line.
    void ShowTip(const QString &text, Tip kind, bool scroll);
    void CenterTip(const QString &text, int width);
    void ScrollText(QString &strText);
    void Timer1_Timer();

    // Window handling.
    void Form_MouseDown(int button, int shift, float x, float y);
    void imgTitle_MouseDown(int button, int shift, float x, float y);
    void lblTip_MouseDown(int button, int shift, float x, float y);
    void btn5_Click();
    void Form_Resize();
    // The window's state as the handlers read it.
    static constexpr int vbNormal = 0;
    static constexpr int vbMinimized = 1;
    static constexpr int vbMaximized = 2;
    int WindowState() const;

    // Modem catalogue and monitoring switch.
    void FillModemList();
    void cboMODEM_Click();
    void Power_Click();

    // Serial receive, command output and receive log.
    void SendCommand(const QString &command);
    void comm_OnComm();
    void AppendReceiveLog(QString text);
    void RcvText_KeyPress(short &KeyAscii);

    // Caller-ID decoding of the receive buffer.
    void ReceiveExplain();

    // Day history view.
    void ShowDay(const QString &dayText);
    void brDay_KeyDown(int KeyCode, int Shift);
    void brPrev_Click();
    void brNext_Click();
    void brToday_Click();
    void btnRcd_Click();
    void btnMdm_Click();

    // Controls, in stacking order from the top-most.
    QTextBrowser *Scriptlet1 = nullptr;
    ReceiveLogView *RcvText = nullptr;
    QLineEdit *brDay = nullptr;
    btn *Power = nullptr;
    QTimer *Timer1 = nullptr;
    QComboBox *cboMODEM = nullptr;
    Comm *comm = nullptr;
    btn *brPrev = nullptr;
    btn *brNext = nullptr;
    btn *btnClose = nullptr;
    btn *brToday = nullptr;
    btn *btn5 = nullptr;
    btn *btnRcd = nullptr;
    btn *btnMdm = nullptr;
    QListWidget *lstCID = nullptr;
    QLabel *lblTip = nullptr;
    QLabel *imgTitle = nullptr;

    // The text colour of the tip line, as last set (0x00BBGGRR).
    quint32 lblTipForeColor() const { return m_lblTipForeColor; }
    // What the last non-empty status text told.
    Tip tipKind() const { return m_tipKind; }

    QString strTip;
    // The call path's separators, which the decoder writes dates and times with.
    QString &strDateSep;
    QString &strTimeSep;
    QStringList strModemKeys;
    QString strPortName;
    QString strInitCommand;
    QString strCIDCommand;
    // The modem's own command to put the line back on hook, for hanging up on a caller.
    QString m_hangUpCommand = QStringLiteral("ATH0\r");
    QByteArray dcbModem = QByteArray(28, '\0');
    // The call path's receive buffer.
    QString &strReceive;
    QString strDate;
    QString strTime;
    QString strNumber;

    // The splash window while start-up runs; gone afterwards.
    start *splash() const { return m_splash; }

    // The road of the calls from the decoder to the call log.
    CallPipeline &callPipeline() { return *m_pipeline; }
    CallRecorder &callRecorder() { return m_pipeline->recorder(); }
    // Starts storing calls the way start-up does once the call log's open has been tried;
    // noDatabaseSupport: the ODBC layer is missing, so calls wait in the spool.
    void startCallLog(bool noDatabaseSupport = false);
    // Ends the call path as the program ends: false when the writer hangs in the data
    // source and the process must end without waiting for it.
    bool finishCalls(int budgetMs);

    // Passes each call on once its report has closed: a desktop notice and the network
    // feed, as the options ask (after Form_Load). makeService gives the notification
    // service, the session's own unless tests say.
    void startCallOutlets(const ProgramOptions &options,
                          const std::function<std::unique_ptr<DesktopNotifications>()>
                              &makeService = makeDesktopNotifications);
    // While calls wait for the call log, a call's own tip stays this long before the notice
    // that calls wait takes its place (the receive log and the tooltip say it at once).
    static constexpr std::chrono::milliseconds kCallTipHold{10000};
    void setCallTipHold(std::chrono::milliseconds hold) { m_callTipHold = hold; }

    // Hangs up on the calls the rules say to (after startCallers()).
    void startScreening(const ScreenRules &rules);

    // The phonebook as calls are shown (CallPipeline::startCallers), its changes shown on
    // the listed calls' tooltips; source: where it is read from, the call log unless tests say.
    void startCallers(const QString &region, const CallerBook::Source &source = {});

    // The network feed while it listens; null otherwise.
    FeedServer *feed() const { return m_pipeline->feed(); }

Q_SIGNALS:
    // The window has been unloaded by btnClose; the program ends with it.
    void unloaded();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControl(const layoutdata::ControlLayout &control);
    // The rest of start-up skipped after a close during one of its event passes.
    void endLoadEarly();
    static int shiftMask(Qt::KeyboardModifiers modifiers);
    static std::pair<int, int> mouseArguments(const QMouseEvent *event);
    // The modem went away while monitoring.
    void comm_DeviceLost();
    // Steps of the monitoring switch: the port reopened with the modem's settings, and the
    // three commands that make the modem report callers.
    void closeModemPort(FailureTrap &trap);
    void openModemPort(FailureTrap &trap);
    void sendModemCommands(FailureTrap &trap);
    // The device behind the chosen port, as its path is configured.
    QString modemDevicePath() const;
    // Waiting for a modem that went away to come back, and its return.
    void watchForModem();
    void stopWatchingForModem();
    bool reopenModemQuietly();
    void modemBack();
    // The receive branch: the port's text into the receive log and the decoder.
    void takeReceived();
    void takeHeldText();
    // The calls of one decoding pass into the list, the last one into the tip line.
    void listCalls(const QList<ReceivedCall> &calls);
    // Calls whose reports closed: their names onto their list lines.
    void nameCalls(const QList<ReceivedCall> &calls);
    // A click on a call's desktop notice: the window shown and raised, restored first.
    void showFromNotice();
    // A list line's caller name and number (as the line sent them), and whether the call
    // waits for the call log: kept for its tooltip and its context menu.
    static constexpr int kNameRole = Qt::UserRole;
    static constexpr int kNumberRole = Qt::UserRole + 1;
    static constexpr int kWaitingRole = Qt::UserRole + 2;
    // Why the call was unwanted, and whether the line was hung up on it.
    static constexpr int kUnwantedRole = Qt::UserRole + 3;
    static constexpr int kBlockedRole = Qt::UserRole + 4;
    void markCall(QListWidgetItem *item, const QString &unwanted, bool blocked) const;
    void showCallToolTip(QListWidgetItem *item) const;
    void showCallToolTips();
    // The call list's context menu (right click, the Menu key, Shift+F10) and its edits.
    void watchCallMenu();
    bool callMenuEvent(QObject *watched, QEvent *event);
    void showCallMenu(QListWidgetItem *item, const QPoint &at);
    void openContactDialog(phonebookedit::Action action, const QString &number,
                           const QString &contact);
    void removeContact(const QString &number);
    void markNumber(const QString &number, const QString &mark);
    void editPhonebook(const std::function<Result<void>()> &edit);
    // What the call path tells about calls that wait for the call log, and about the log.
    void reportWaitingCalls(const QList<SpooledCall> &calls, const QString &message,
                            const QStringList &logLines);
    void markCallsSaved(const QList<quint64> &ids);
    void reportWaitingCallsSaved(const QString &message);
    void reportFeedOff(const QString &message);
    void reportEarlierCalls(qsizetype count, const QStringList &notes);
    void reportCallLogGone(const QString &reason);
    void reportCallLogBack();
    void appendReceiveLogLines(const QStringList &lines);
    // The waiting notice in the tip, once no call's tip is younger than the hold.
    void showWaitingNotice();
    void connectCallRecorder();
    // The day view's connection made anew on a thread of its own, then handed over.
    void reopenDayViewConnection();
    void setTipForeColor(quint32 colour);
    // A modem-link failure: the tip line in light red, then the date, the tip and the
    // detail as lines of the receive log.
    void ReportModemProblem(const QString &message, const QString &detail,
                            const QStringList &extraLines = {});
    // A call-log failure: a short red tip and the driver's words in the receive log.
    void ReportCallLogProblem(const QString &message, const QString &detail);
    // brPrev and brNext: the shown day moved by days, rewritten and listed.
    void pageDay(int days);

    // The list rows of calls listed since the list was last filled and not yet stored.
    QHash<quint64, int> m_callRows;
    // When the last call's tip was shown, and the waiting notice held back meanwhile.
    QElapsedTimer m_callTipShown;
    std::chrono::milliseconds m_callTipHold = kCallTipHold;
    QTimer *m_waitingNotice = nullptr;
    QString m_waitingMessage;
    // The call log was said to be unavailable (at start-up or later) and not yet back.
    bool m_callLogReportedDown = false;
    QThread *m_dayViewReopen = nullptr;
    modem::ModemReturnWatch *m_modemReturn = nullptr;
    QImage m_background;
    quint32 m_backColor = 0;
    start *m_splash = nullptr;
    bool m_unloaded = false;
    bool m_shownOnce = false;
    // From the layout: centred at the first show, and whether a shown window has a
    // taskbar entry.
    bool m_centreAtFirstShow = false;
    bool m_showInTaskbar = true;
    // What start-up said about the call log, shown again once the modem is chosen.
    QString m_callLogReport;
    Tip m_callLogReportKind = Tip::LogProblem;
    quint32 m_lblTipForeColor = tipColour(Tip::Problem);
    Tip m_tipKind = Tip::Problem;
};

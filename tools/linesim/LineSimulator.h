#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include "failure/Result.h"

class QFile;
class QSocketNotifier;
class QTimer;

// One caller-ID report as a modem prints it.
struct CallerIdReport
{
    QString date = QStringLiteral("1013"); // MMDD
    QString time = QStringLiteral("1425"); // HHMM
    QString number = QStringLiteral("5550123");
    QString name;    // empty: no NAME line
    QString message; // empty: no MESG line
};

// How a modem lays a report out; the real ones differ in every one of these.
struct ReportStyle
{
    int ringsBefore = 1;
    int ringsAfter = 0;
    bool blankLines = true;        // a blank line before and after the field lines
    bool spacesAroundEquals = true; // "NMBR = 555" or "NMBR=555"
    bool crOnly = false;           // lines ended by CR alone instead of CR LF
    bool nameBeforeNumber = false;
};

// One command the other side sent, and when it arrived.
struct ReceivedCommand
{
    QString text;
    QDateTime at;
};

// A commands-log line: the local time with milliseconds, a blank, the command
// ("2026-12-10T12:00:00.123 ATH1"); tests read the order and the gaps from it.
QByteArray commandsLogLine(const ReceivedCommand &command);

// Formats a report with the given style.
QByteArray formatReport(const CallerIdReport &report, const ReportStyle &style = {});
// A report for a call at the given moment.
CallerIdReport reportAt(const QDateTime &when, const QString &number, const QString &name = {});

// A stand-in for a caller-ID modem on a pseudo-terminal: whatever opens slavePath() talks
// to it. It echoes, answers AT commands like a modem in verbose mode, records them, and
// prints reports in pieces when asked or on a schedule. It can also vanish (the master
// closes, as when a USB modem is unplugged) or stop reading so the other side's output
// backs up.
// Registry text that makes Ringvane use a simulated modem: the modem class key `subkey`
// (a 9600 8N1 modem on `port` with the init "ATE1V1Q0" and the caller-ID command
// "AT+VCID=1"), and the serial-port map line naming the device behind that port.
QString simulatedModemKeys(const QString &subkey, const QString &model, const QString &port);
QString serialPortMapLine(const QString &devicePath, const QString &port);
// A whole registry file with one such modem, "Test modem" on COM5.
QString simulatedModemRegistry(const QString &devicePath);

class LineSimulator : public QObject
{
    Q_OBJECT
public:
    explicit LineSimulator(QObject *parent = nullptr);
    ~LineSimulator() override;

    bool isValid() const { return m_master >= 0; }
    QString errorString() const { return m_error; }
    QString slavePath() const { return m_slavePath; }
    // A symlink at path pointing at the slave device (replaces an older symlink there).
    bool linkTo(const QString &path);

    void setEcho(bool echo) { m_echo = echo; }
    // Pieces of these sizes (cycled) with this pause between them; empty sizes: one piece.
    void setPieces(QList<int> sizes, int delayMs);

    // Writes bytes to the line, cut into pieces as set by setPieces.
    void send(const QByteArray &bytes);
    void sendReport(const CallerIdReport &report, const ReportStyle &style = {});
    // Prints a report for "now" every interval until stopped.
    void startSchedule(int intervalMs, const QString &number, const ReportStyle &style = {},
                       const QString &name = {});
    void stopSchedule();
    // True while pieces are still waiting to be written.
    bool sending() const;

    // Stop (or resume) reading what the other side writes, so its output backs up.
    void setHoldOutput(bool hold);
    // The device disappears: the master closes and the slave node goes away.
    void closeMaster();

    // The line as the other side set it, "baud,parity,data,stop" ("19200,E,7,2").
    QString lineSettings() const;

    // Habits of real modems, for tests of modem discovery. A silent line neither echoes nor
    // answers, like a port with nothing behind it.
    void setSilent(bool silent) { m_silent = silent; }
    // After ATZ or AT&F the modem ignores whatever it receives for this long.
    void setDeafAfterReset(int ms) { m_deafAfterResetMs = qMax(0, ms); }
    // The caller-ID enable commands it knows, by family ("+VCID", "#CID", "%CCID", "*ID");
    // the other families get ERROR. Until this is called every command gets OK.
    void setCallerIdCommands(const QStringList &families);
    // Information text printed before the OK of a command ("ATI", "AT+GMM").
    void setInformation(const QByteArray &command, const QByteArray &text);
    bool isDeaf() const { return !m_deafUntil.hasExpired(); }

    // The line's side of a call: after each report the phone keeps ringing, a RING line
    // every intervalMs, `rings` of them, until the call is taken off hook (ATH1) or hung
    // up (ATH, ATH0). 0 rings: a report is all the line sends, as before.
    void setRingsAfterReport(int rings, int intervalMs = 6000);
    // A caller-ID-only device cannot go off hook: it answers ATH1 with ERROR and the
    // call goes on ringing.
    void setCanGoOffHook(bool can) { m_canGoOffHook = can; }
    bool isOffHook() const { return m_offHook; }
    bool isRinging() const;
    // Appends each command to the file as a commandsLogLine, flushed at once so that a
    // reader sees it while the simulator runs.
    Result<void> setCommandsLog(const QString &path);

    QStringList commands() const;
    QList<ReceivedCommand> receivedCommands() const { return m_commands; }
    QByteArray received() const { return m_received; }
    void clearReceived();

Q_SIGNALS:
    void commandReceived(const QString &command);

protected:
    // The answer to one command line (without its CR). A modem with other habits
    // (a deaf period after a reset, error results) overrides this.
    virtual QByteArray answer(const QByteArray &command);

private:
    void onReadable();
    void onWritable();
    void writePending();
    void sendNextPiece();
    void handleInput(const QByteArray &bytes);
    void queueWrite(const QByteArray &bytes);
    void ringOnce();
    void record(const QString &command);

    int m_master = -1;
    int m_slaveKeeper = -1;
    QString m_slavePath;
    QString m_link;
    QString m_error;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;

    bool m_echo = true;
    QByteArray m_line;
    QList<ReceivedCommand> m_commands;
    QFile *m_commandsLog = nullptr;
    QByteArray m_received;

    bool m_silent = false;
    int m_deafAfterResetMs = 0;
    QDeadlineTimer m_deafUntil;
    bool m_callerIdKnown = false;
    QStringList m_callerIdFamilies;
    QHash<QByteArray, QByteArray> m_information;

    QList<int> m_pieceSizes;
    int m_pieceDelayMs = 0;
    int m_pieceIndex = 0;
    QByteArray m_toPiece;
    QTimer *m_pieceTimer = nullptr;
    QByteArray m_pendingWrite;

    QTimer *m_schedule = nullptr;

    int m_ringsAfterReport = 0;
    int m_ringsLeft = 0;
    QByteArray m_ringLine;
    QTimer *m_ringTimer = nullptr;
    bool m_canGoOffHook = true;
    bool m_offHook = false;
};

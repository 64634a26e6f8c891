#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

// Hangs up on a caller: takes the line off hook, holds it a moment so the exchange sees the
// call answered, puts it back and gives the modem its caller-ID command again. Written
// without a port so it runs against anything that takes text; the modem's answers come
// back through received(), the same text the receive log shows.
//
// A device that cannot go off hook (a caller-ID-only box answers ERROR, or nothing) is
// said once by cannotHangUp(); from then on hangUp() refuses and calls are only marked.
class LineGuard : public QObject
{
    Q_OBJECT
public:
    // Writes a command to the modem; false when it could not be written.
    using Send = std::function<bool(const QString &command)>;

    static constexpr int DefaultHoldMs = 1500;
    // A modem answers a command within milliseconds; a quiet one is given this long.
    static constexpr int AnswerWaitMs = 1000;

    explicit LineGuard(Send send, QObject *parent = nullptr);

    // The modem's hang-up command (its registered one, "ATH0" when it has none) and its
    // caller-ID command, each ending in CR.
    void setCommands(const QString &hangUp, const QString &callerId);
    void setHoldMs(int holdMs) { m_holdMs = holdMs; }
    // A new modem or a new port: it may well go off hook.
    void reset();

    // Whether the modem may be asked to go off hook: not known to refuse.
    bool canHangUp() const { return m_able; }
    bool busy() const { return m_step != Step::Idle; }
    // Starts hanging up: the off-hook command is written before this returns. False (and
    // nothing written) when the modem cannot, a hang-up is under way, or the write failed.
    bool hangUp();
    // The modem's text, as it arrives.
    void received(const QString &text);

Q_SIGNALS:
    // Said once per modem: why calls are only marked from now on.
    void cannotHangUp(const QString &why);
    // The line is back on hook and the modem has its caller-ID command again.
    void done();

private:
    enum class Step { Idle, OffHook, OnHook };
    void takeLine(const QString &line);
    void putBack();
    void refuse(const QString &why);
    void finish();

    Send m_send;
    QString m_hangUp = QStringLiteral("ATH0\r");
    QString m_callerId;
    int m_holdMs = DefaultHoldMs;
    Step m_step = Step::Idle;
    bool m_answered = false; // the modem said OK to going off hook
    bool m_able = true;
    QString m_partial; // the modem's line not yet ended
    QTimer m_timer;
};

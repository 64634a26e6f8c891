#include "modem/LineGuard.h"

#include <utility>

namespace {

const QString kOffHook = QStringLiteral("ATH1\r");
// A modem's answer line is a few characters; anything longer is not one.
constexpr qsizetype kLongestAnswer = 64;

} // namespace

LineGuard::LineGuard(Send send, QObject *parent) : QObject(parent), m_send(std::move(send))
{
    m_timer.setSingleShot(true);
    // A coarse timer may end the hold early by a twentieth.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_step == Step::OffHook)
            putBack();
        else if (m_step == Step::OnHook)
            finish();
    });
}

void LineGuard::setCommands(const QString &hangUp, const QString &callerId)
{
    m_hangUp = hangUp.isEmpty() ? QStringLiteral("ATH0\r") : hangUp;
    m_callerId = callerId;
}

void LineGuard::reset()
{
    m_timer.stop();
    m_step = Step::Idle;
    m_able = true;
    m_partial.clear();
}

bool LineGuard::hangUp()
{
    if (!m_able || busy())
        return false;
    m_answered = false;
    m_partial.clear();
    if (!m_send(kOffHook))
        return false;
    m_step = Step::OffHook;
    m_timer.start(m_holdMs);
    return true;
}

void LineGuard::received(const QString &text)
{
    if (m_step == Step::Idle)
        return;
    for (const QChar c : text) {
        if (c == u'\r' || c == u'\n') {
            if (!m_partial.isEmpty())
                takeLine(std::exchange(m_partial, QString()).trimmed().toUpper());
            if (m_step == Step::Idle)
                return;
        } else if (m_partial.size() < kLongestAnswer) {
            m_partial += c;
        }
    }
}

void LineGuard::takeLine(const QString &line)
{
    const bool ok = line == u"OK";
    const bool error = line == u"ERROR";
    if (m_step == Step::OffHook && !m_answered) {
        if (ok) {
            m_answered = true;
        } else if (error) {
            // Still on hook: there is nothing to put back.
            m_timer.stop();
            refuse(tr("it answered ERROR to ATH1"));
            finish();
        }
    } else if (m_step == Step::OnHook && (ok || error || line == u"NO CARRIER")) {
        finish();
    }
}

void LineGuard::putBack()
{
    if (!m_answered)
        refuse(tr("it did not answer ATH1"));
    // Sent even so: a modem that went off hook without a word must not keep the line.
    m_send(m_hangUp);
    m_step = Step::OnHook;
    m_timer.start(AnswerWaitMs);
}

void LineGuard::refuse(const QString &why)
{
    if (!std::exchange(m_able, false))
        return;
    Q_EMIT cannotHangUp(why);
}

void LineGuard::finish()
{
    const bool wasOnHook = m_step == Step::OnHook;
    m_timer.stop();
    m_step = Step::Idle;
    m_partial.clear();
    // Many modems forget caller ID once they have gone off hook.
    if (wasOnHook && !m_callerId.isEmpty())
        m_send(m_callerId);
    Q_EMIT done();
}

#include "modem/ModemReturnWatch.h"

#include <QElapsedTimer>

namespace modem {

ModemReturnWatch::ModemReturnWatch(Probe probe, Clock clock, QObject *parent)
    : QObject(parent), m_probe(std::move(probe)), m_clock(std::move(clock))
{
    if (!m_clock) {
        QElapsedTimer started;
        started.start();
        m_clock = [started] { return started.elapsed(); };
    }
    m_timer.setInterval(LookInterval);
    connect(&m_timer, &QTimer::timeout, this, &ModemReturnWatch::look);
}

void ModemReturnWatch::start()
{
    m_state = State::Absent;
    m_timer.start();
}

void ModemReturnWatch::stop()
{
    m_state = State::Idle;
    m_timer.stop();
}

void ModemReturnWatch::look()
{
    if (m_state == State::Idle)
        return;
    if (!m_probe.deviceThere()) {
        // Gone again while it was being opened: its time to open starts afresh.
        m_state = State::Absent;
        return;
    }
    const qint64 now = m_clock();
    if (m_state == State::Absent) {
        m_state = State::Opening;
        m_openingSince = now;
    }
    if (m_probe.tryOpen()) {
        stop();
        Q_EMIT back();
        return;
    }
    if (now - m_openingSince >= OpenLimit.count()) {
        stop();
        Q_EMIT gaveUp();
    }
}

} // namespace modem

#pragma once

#include <QElapsedTimer>
#include <QTimer>

// Measures the longest gap between ticks of a short timer in this thread's event loop:
// how long the window could not have answered the user.
class StallMeter
{
public:
    StallMeter()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longest = qMax(m_longest, m_clock.restart());
        });
        m_clock.start();
        m_timer.start();
    }
    qint64 longestMs() const { return m_longest; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
};

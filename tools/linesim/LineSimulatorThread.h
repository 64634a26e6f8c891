#pragma once

#include "tools/linesim/LineSimulator.h"

#include <QObject>
#include <QThread>

#include <functional>
#include <type_traits>

// The simulator on its own thread, as a modem is its own machine: it keeps echoing and
// reading while the caller blocks its own thread's event loop.
class LineSimulatorThread
{
public:
    LineSimulatorThread()
    {
        m_thread.start();
        m_context.moveToThread(&m_thread);
        run([this] { m_sim = new LineSimulator; });
    }
    ~LineSimulatorThread()
    {
        run([this] { delete m_sim; });
        m_thread.quit();
        m_thread.wait();
    }
    LineSimulatorThread(const LineSimulatorThread &) = delete;
    LineSimulatorThread &operator=(const LineSimulatorThread &) = delete;

    // Runs f on the simulator's thread and waits for it.
    template <class F> auto call(F f)
    {
        if constexpr (std::is_void_v<decltype(f(*m_sim))>) {
            run([&] { f(*m_sim); });
        } else {
            decltype(f(*m_sim)) result{};
            run([&] { result = f(*m_sim); });
            return result;
        }
    }

    QString path()
    {
        return call([](LineSimulator &s) { return s.slavePath(); });
    }
    void send(const QByteArray &bytes)
    {
        call([bytes](LineSimulator &s) { s.send(bytes); });
    }
    QByteArray received()
    {
        return call([](LineSimulator &s) { return s.received(); });
    }
    QStringList commands()
    {
        return call([](LineSimulator &s) { return s.commands(); });
    }
    bool sending()
    {
        return call([](LineSimulator &s) { return s.sending(); });
    }

private:
    void run(const std::function<void()> &f)
    {
        QMetaObject::invokeMethod(&m_context, f, Qt::BlockingQueuedConnection);
    }

    QThread m_thread;
    QObject m_context;
    LineSimulator *m_sim = nullptr;
};

#pragma once

#include "LineSimulator.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>
#include <QtTest/QTest>

#include <functional>

// The simulator on its own thread, as a modem is its own machine: it keeps echoing and
// reading while the test blocks the main thread's event loop.
class SimThread
{
public:
    SimThread()
    {
        m_thread.start();
        m_context.moveToThread(&m_thread);
        run([this] { m_sim = new LineSimulator; });
    }
    ~SimThread()
    {
        run([this] { delete m_sim; });
        m_thread.quit();
        m_thread.wait();
    }

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

    QString path() { return call([](LineSimulator &s) { return s.slavePath(); }); }
    void send(const QByteArray &bytes)
    {
        call([bytes](LineSimulator &s) { s.send(bytes); });
    }
    QByteArray received() { return call([](LineSimulator &s) { return s.received(); }); }
    QStringList commands() { return call([](LineSimulator &s) { return s.commands(); }); }
    bool sending() { return call([](LineSimulator &s) { return s.sending(); }); }

private:
    void run(const std::function<void()> &f)
    {
        QMetaObject::invokeMethod(&m_context, f, Qt::BlockingQueuedConnection);
    }

    QThread m_thread;
    QObject m_context;
    LineSimulator *m_sim = nullptr;
};

// Waits for a condition while the event loop runs; generous, as the machine may be busy.
template <class Pred> bool eventually(Pred pred, int timeoutMs = 15000)
{
    return QTest::qWaitFor(pred, timeoutMs);
}

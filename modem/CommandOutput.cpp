#include "modem/CommandOutput.h"

#include "platform/Comm.h"
#include "failure/Failure.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <thread>

CommandOutput::CommandOutput(Comm &comm, Sleeper sleeper, std::chrono::milliseconds drainLimit)
    : m_comm(comm), m_sleeper(std::move(sleeper)), m_drainLimit(drainLimit)
{
    if (!m_sleeper)
        m_sleeper = [](std::chrono::milliseconds ms) { QThread::msleep(ms.count()); };
}

void CommandOutput::sendCommand(const QString &command)
{
    m_comm.setOutput(command);
    m_sleeper(CommandPause);
    drain();
}

void CommandOutput::sendAndDrain(const QString &text)
{
    m_comm.setOutput(text);
    drain();
}

void CommandOutput::drain()
{
    QElapsedTimer clock;
    clock.start();
    while (m_comm.OutBufferCount() > 0) {
        if (clock.elapsed() >= m_drainLimit.count())
            throw Failure(ErrorNumber::Timeout,
                          QCoreApplication::translate(
                              "CommandOutput", "The port did not send its output within %1 seconds")
                              .arg(m_drainLimit.count() / 1000.0));
        std::this_thread::yield();
    }
}

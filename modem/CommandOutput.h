#pragma once

#include <QString>

#include <chrono>
#include <functional>

class Comm;

// Writing commands to the modem and waiting until the port has taken them. The wait
// blocks the window's thread on purpose (no handler may run in between), so it is
// bounded: a port whose flow control holds output back must not freeze the window.
class CommandOutput
{
public:
    using Sleeper = std::function<void(std::chrono::milliseconds)>;
    static constexpr std::chrono::milliseconds CommandPause{50};
    static constexpr std::chrono::milliseconds DrainLimit{2000};

    explicit CommandOutput(Comm &comm, Sleeper sleeper = {},
                           std::chrono::milliseconds drainLimit = DrainLimit);

    // SendCommand: write, pause 50 ms, wait until sent. Failures (8012 on a closed port,
    // 8020 when the output does not leave) go to the caller.
    void sendCommand(const QString &command);
    // The carrier-detect branch: write and wait until sent, without the pause.
    void sendAndDrain(const QString &text);

private:
    void drain();

    Comm &m_comm;
    Sleeper m_sleeper;
    std::chrono::milliseconds m_drainLimit;
};

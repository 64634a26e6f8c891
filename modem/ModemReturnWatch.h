#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

namespace modem {

// Brings monitoring back after the modem went away (a USB modem unplugged, or reset by a
// power glitch). Looks for the device every LookInterval and, once it is there again,
// tries to open it quietly for up to OpenLimit: udev or ModemManager may hold it a moment.
class ModemReturnWatch : public QObject
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds LookInterval{500};
    static constexpr std::chrono::milliseconds OpenLimit{10000};

    struct Probe
    {
        // Whether the port's device path names something again.
        std::function<bool()> deviceThere;
        // Opens the port with the modem's settings, reporting nothing; true when open.
        std::function<bool()> tryOpen;
    };
    // Milliseconds on a clock that never goes back.
    using Clock = std::function<qint64()>;

    explicit ModemReturnWatch(Probe probe, Clock clock = {}, QObject *parent = nullptr);

    void start();
    void stop();
    bool watching() const { return m_state != State::Idle; }

    // One look, as the timer runs it while watching.
    void look();

Q_SIGNALS:
    // The port is open again.
    void back();
    // The device has been there for OpenLimit and would not open; watching has ended.
    void gaveUp();

private:
    enum class State { Idle, Absent, Opening };

    Probe m_probe;
    Clock m_clock;
    QTimer m_timer;
    State m_state = State::Idle;
    qint64 m_openingSince = 0;
};

} // namespace modem

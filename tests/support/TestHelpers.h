#pragma once

#include "failure/Failure.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

#include <functional>

// The number of the Failure a step throws, or 0 when it succeeds.
inline int failureNumber(const std::function<void()> &step)
{
    try {
        step();
    } catch (const Failure &f) {
        return f.number();
    }
    return 0;
}

// Runs the event loop until the condition holds; false when the time runs out first.
inline bool waitFor(const std::function<bool()> &condition, int timeoutMs = 20000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Whether the process is still running once the time is up (the event loop runs meanwhile).
inline bool stillRunningAfter(const QProcess &process, int ms)
{
    return !waitFor([&] { return process.state() == QProcess::NotRunning; }, ms);
}

// The output of one statement run by the sqlite3 tool on a database file, trimmed.
inline QString sqliteQuery(const QString &database, const QString &sql)
{
    QProcess tool;
    tool.start(QStringLiteral("sqlite3"), {database, sql});
    tool.waitForFinished(10000);
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

// A caller-ID report for a call now, as a modem prints it.
inline QByteArray reportBytes(const QByteArray &number)
{
    const QDateTime now = QDateTime::currentDateTime();
    return "DATE = " + now.toString(QStringLiteral("MMdd")).toLatin1() + "\r\nTIME = " +
           now.toString(QStringLiteral("hhmm")).toLatin1() + "\r\nNMBR = " + number + "\r\n";
}

// The environment of a program run under a test: offscreen, C locale, and the registry
// file, ODBC file and data folders inside the given folder.
inline QProcessEnvironment programEnvironment(const QString &dir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("RINGVANE_REGISTRY"), dir + QStringLiteral("/registry.reg"));
    env.insert(QStringLiteral("ODBCINI"), dir + QStringLiteral("/odbc.ini"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_STATE_HOME"), dir + QStringLiteral("/state"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir);
    return env;
}

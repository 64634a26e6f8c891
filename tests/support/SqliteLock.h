#pragma once

#include <QDeadlineTimer>
#include <QProcess>
#include <QString>

// Another program holding an SQLite file's write lock (a backup, a reader in a long write
// transaction): the sqlite3 tool in an exclusive transaction until release().
class SqliteLock
{
public:
    explicit SqliteLock(const QString &database)
    {
        m_tool.start(QStringLiteral("sqlite3"), {database});
        m_tool.write("BEGIN EXCLUSIVE;\nSELECT 'held';\n");
        QDeadlineTimer deadline(10000);
        while (!m_tool.readAllStandardOutput().contains("held") && !deadline.hasExpired())
            m_tool.waitForReadyRead(100);
        m_held = !deadline.hasExpired();
    }
    ~SqliteLock() { release(); }

    bool held() const { return m_held; }

    void release()
    {
        if (m_tool.state() == QProcess::NotRunning)
            return;
        m_tool.write("COMMIT;\n.quit\n");
        m_tool.closeWriteChannel();
        if (!m_tool.waitForFinished(10000))
            m_tool.kill();
        m_held = false;
    }

private:
    QProcess m_tool;
    bool m_held = false;
};

#pragma once

#include "platform/RegistryFile.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Points RINGVANE_REGISTRY at a file of the test's own and reloads the hive; puts the
// environment and the hive back afterwards.
class RegistryFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_saved = qgetenv("RINGVANE_REGISTRY");
        m_wasSet = qEnvironmentVariableIsSet("RINGVANE_REGISTRY");
        ASSERT_TRUE(m_dir.isValid());
    }
    void TearDown() override
    {
        if (m_wasSet)
            qputenv("RINGVANE_REGISTRY", m_saved);
        else
            qunsetenv("RINGVANE_REGISTRY");
        registry::reloadRegistry();
    }

    QString writeFile(const QString &name, const QByteArray &text)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return path;
    }

    void useRegistry(const QByteArray &text)
    {
        qputenv("RINGVANE_REGISTRY", writeFile(QStringLiteral("registry.reg"), text).toUtf8());
        registry::reloadRegistry();
    }

    QTemporaryDir m_dir;

private:
    QByteArray m_saved;
    bool m_wasSet = false;
};

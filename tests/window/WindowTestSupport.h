#pragma once

#include "tests/support/FakeComm.h"
#include "shell/frmMain.h"

#include <QDir>
#include <QTemporaryDir>

#include <memory>

// The main window on a fake port, with the user's data folder pointed at a temporary one
// so the help page it puts in place never lands in the real home.
class WindowUnderTest
{
public:
    WindowUnderTest()
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome.path()));
        window = std::make_unique<frmMain>(new FakeComm);
    }
    ~WindowUnderTest()
    {
        window.reset();
        qunsetenv("XDG_DATA_HOME");
    }

    QString dataHome() const { return m_dataHome.path(); }
    frmMain &operator*() { return *window; }
    frmMain *operator->() { return window.get(); }

    std::unique_ptr<frmMain> window;

private:
    QTemporaryDir m_dataHome;
};

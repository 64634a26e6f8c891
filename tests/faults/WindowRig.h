#pragma once

#include "tests/support/FakeClock.h"
#include "tests/support/StallMeter.h"
#include "tests/calllog/OdbcSandbox.h"
#include "shell/ReceiveLogView.h"
#include "platform/RegistryFile.h"
#include "tests/serial/SimThread.h"
#include "calllog/TAPI.h"
#include "picturebutton/btn.h"
#include "shell/frmMain.h"

#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

// The real main window started the way the program starts it (Form_Load), on the real
// serial port, with the simulated modem on a thread of its own so that its writing never
// shares the window's event loop. The modem is registered through a symlink, so a modem
// that went away can come back at the same place.
class WindowRig
{
public:
    WindowRig()
    {
        modemLink = dir.filePath(QStringLiteral("modem"));
        QFile file(dir.filePath(QStringLiteral("registry.reg")));
        if (file.open(QIODevice::WriteOnly))
            file.write(simulatedModemRegistry(modemLink).toUtf8());
        file.close();
        qputenv("RINGVANE_REGISTRY", QFile::encodeName(file.fileName()));
        registry::reloadRegistry();
        plugIn();
    }

    ~WindowRig()
    {
        window.reset();
        TAPI::releaseConnection();
    }

    // A fresh modem at the registered place (the old one, if any, stays as it is).
    void plugIn()
    {
        sim = std::make_unique<SimThread>();
        const QString link = modemLink;
        linked = sim->call([link](LineSimulator &s) { return s.linkTo(link); });
    }

    // Form_Load with the call log as the sandbox has it; true once the modem got its
    // three start-up commands.
    bool start()
    {
        TAPI::releaseConnection();
        window = std::make_unique<frmMain>();
        // The faults are read from the tip as soon as they are reported; how long a caller
        // keeps the tip first has its own test.
        window->setCallTipHold(std::chrono::milliseconds(0));
        window->Form_Load();
        return eventually([this] { return sim->commands().size() >= 3; });
    }

    QStringList listLines() const
    {
        QStringList lines;
        for (int i = 0; i < window->lstCID->count(); ++i)
            lines << window->lstCID->item(i)->text();
        return lines;
    }

    QString log() const { return window->RcvText->toPlainText(); }

    // Until the calls given to the call log are stored or reported as waiting.
    bool settle() { return eventually([this] { return !window->callRecorder().busy(); }); }

    QTemporaryDir dir;
    QString modemLink;
    bool linked = false;
    std::unique_ptr<SimThread> sim;
    std::unique_ptr<frmMain> window;
};

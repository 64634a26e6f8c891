#include "shell/ProgramOptions.h"
#include "calllog/TAPI.h"
#include "shell/frmMain.h"
#include "translations/Translations.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};
volatile std::sig_atomic_t g_terminationRequested = 0;

void onTerminate(int)
{
    g_terminationRequested = 1;
    const char byte = 1;
    // Non-blocking: a burst of signals must never leave the handler stuck on a full pipe.
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

// SIGTERM (a desktop logout) and SIGINT end the program the way the close button does: the
// port is released and nothing is left half-written. They are caught from the first moment
// on, so one that comes while start-up runs is remembered rather than lost.
void catchTerminationSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        g_signalPipe[0] = g_signalPipe[1] = -1;
    struct sigaction action{};
    action.sa_handler = onTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

// From the first event pass of start-up on, a signal closes the window as the close button
// does; start-up then stops at its next safe point.
void endOnTerminationSignals(frmMain &window)
{
    if (g_signalPipe[0] < 0)
        return;
    auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char bytes[64];
        while (::read(g_signalPipe[0], bytes, sizeof bytes) > 0) {
        }
        if (!window.isUnloaded())
            window.btnClose_Click();
        QCoreApplication::quit();
    });
}

} // namespace

int main(int argc, char *argv[])
{
    catchTerminationSignals();

    // Topmost, centring and the window manager's move need an X11 window; under Wayland
    // the program runs through XWayland unless the user chose a platform. The help and
    // the version are printed without a display, so that a console without one has them.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        QStringList arguments;
        for (int i = 0; i < argc; ++i)
            arguments << QString::fromLocal8Bit(argv[i]);
        qputenv("QT_QPA_PLATFORM", asksOnlyToPrint(arguments) ? "offscreen" : "xcb");
    }

    QApplication app(argc, argv);
    translations::installTranslations(settingsFilePath());
    QApplication::setApplicationName(QStringLiteral("ringvane"));
    QApplication::setDesktopFileName(QStringLiteral("ringvane"));
    // After QApplication, which takes its own options (-platform, ...) off the line first.
    const ProgramOptions options = programOptionsOrExit(QApplication::arguments());

    frmMain window;
    endOnTerminationSignals(window);
    QObject::connect(&window, &frmMain::unloaded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    window.Form_Load();

    // A quit asked for before the event loop runs would be lost in it: the window closed
    // during start-up, or a signal came while start-up blocked.
    int status = 0;
    if (g_terminationRequested || window.isUnloaded()) {
        if (!window.isUnloaded())
            window.btnClose_Click();
    } else {
        window.explainMissingModem();
        window.startCallOutlets(options);
        status = app.exec();
    }
    // Calls not yet in the log go into the spool; a writer that hangs in the data source
    // is not waited for, so the program ends in time whatever the log does.
    if (!window.finishCalls(1500)) {
        std::fflush(nullptr);
        ::_exit(status);
    }
    TAPI::releaseCallLog();
    return status;
}

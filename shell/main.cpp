#include "TAPI.h"
#include "frmMain.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onTerminate(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

// SIGTERM (a desktop logout) and SIGINT end the program the way the close button does:
// the port is released and nothing is left half-written.
void endOnTerminationSignals(frmMain &window)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window, notifier] {
        char byte;
        [[maybe_unused]] const ssize_t got = ::read(g_signalPipe[0], &byte, 1);
        notifier->setEnabled(false);
        window.btnClose_Click();
        QCoreApplication::quit();
    });
    struct sigaction action{};
    action.sa_handler = onTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

} // namespace

int main(int argc, char *argv[])
{
    // Topmost, centring and the window manager's move need an X11 window; under Wayland
    // the program runs through XWayland unless the user chose a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ringvane"));
    QApplication::setDesktopFileName(QStringLiteral("ringvane"));

    frmMain window;
    endOnTerminationSignals(window);
    QObject::connect(&window, &frmMain::unloaded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    window.Form_Load();
    const int status = app.exec();
    // Calls not yet in the log go into the spool; a writer that hangs in the data source
    // is not waited for, so the program ends in time whatever the log does.
    if (!window.finishCalls(1500)) {
        std::fflush(nullptr);
        ::_exit(status);
    }
    TAPI::releaseCallLog();
    return status;
}

#include "tests/support/TestEnvironment.h"

#include <QTemporaryDir>

void pinTestEnvironment()
{
    qputenv("LC_ALL", "C.UTF-8");
    qunsetenv("LANG");
    qunsetenv("LC_TIME");
    qunsetenv("LC_NUMERIC");
    // Lives as long as the process: nothing a test does may reach the real user's folders.
    static QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_STATE_HOME", home.filePath(QStringLiteral("state")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
    // Nor the user's desktop: a session bus address where no bus listens, until a test
    // starts a bus of its own. Programs run by the tests inherit it.
    qputenv("DBUS_SESSION_BUS_ADDRESS",
            "unix:path=" + home.filePath(QStringLiteral("no-session-bus")).toUtf8());
    qunsetenv("DBUS_STARTER_ADDRESS");
    qunsetenv("DBUS_STARTER_BUS_TYPE");
}

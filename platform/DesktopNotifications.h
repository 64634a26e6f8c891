#pragma once

#include <QObject>
#include <QString>

#include <memory>

// One notice for the desktop's notification area. The texts are plain text: the service
// gets the body escaped where it would read it as markup.
struct DesktopNotice
{
    QString appName;
    QString icon;         // an icon name of the desktop's theme, or a file:// address
    QString desktopEntry; // the program's desktop file without ".desktop"; may be empty
    QString summary;
    QString body;
    // Where the service offers actions, clicking the notice takes this one; empty for none.
    QString defaultActionLabel;
    // Worth a glance, not an interruption (the service may show it quietly).
    bool lowUrgency = false;
};

// The desktop's notification service as the program uses it. Nothing here ever waits for
// the service: a notice is handed over and the answer comes back through the event loop.
// When the service cannot be reached the object says so once and shows nothing afterwards.
class DesktopNotifications : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~DesktopNotifications() override = default;

    // Shows the notice. A handle of 0 makes a new notice and returns its handle; the
    // handle of an earlier notice replaces that one in place and is returned again.
    virtual int show(const DesktopNotice &notice, int handle = 0) = 0;

Q_SIGNALS:
    // The user took the default action of the notice.
    void activated(int handle);
    // The service gave up the notice (it expired or was dismissed).
    void closed(int handle);
    // Raised at most once, from the event loop: "Desktop notifications are not available: ..."
    void unavailable(const QString &text);
};

// The notification service of the user's desktop session.
std::unique_ptr<DesktopNotifications> makeDesktopNotifications();

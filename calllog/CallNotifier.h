#pragma once

#include "calllog/Call.h"
#include "calllog/CallNotice.h"
#include "platform/DesktopNotifications.h"
#include "calllog/NoticePacer.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

// Raises a desktop notice for each call, at most one per 250 ms: within a flood the
// notice in place is replaced by the latest call and the number of calls, otherwise each
// call's notice stays in the desktop's history. Nothing here waits for the desktop.
//
// Wiring: notify() from the call path once a report is complete (so the name is known);
// activated() to show and raise the window; unavailable() to the receive log, said at
// most once, after which nothing more happens.
class CallNotifier : public QObject
{
    Q_OBJECT
public:
    using ServiceMaker = std::function<std::unique_ptr<DesktopNotifications>()>;

    // Switched off (enabled false) it never touches the desktop or the session bus.
    // makeService gives the notification service, the session's own unless tests say.
    explicit CallNotifier(bool enabled = true, ServiceMaker makeService = makeDesktopNotifications,
                          QObject *parent = nullptr);
    ~CallNotifier() override;

    bool isEnabled() const { return m_service != nullptr; }

public Q_SLOTS:
    void notify(const Call &call, const CallerShown &shown = {});

Q_SIGNALS:
    // The user clicked one of the call notices.
    void activated();
    // "Desktop notifications are not available: <reason>"
    void unavailable(const QString &text);

private:
    void show(const NoticePacer::Step &step);

    std::unique_ptr<DesktopNotifications> m_service;
    bool m_gone = false;
    NoticePacer m_pacer;
    QElapsedTimer m_clock;
    QTimer m_release;
    Call m_latest;
    CallerShown m_latestShown;
    int m_handle = 0;
    QString m_icon;
};

// The icon the notices carry: the installed icon's name, else the picture beside the
// program (a build folder), else the name anyway for the desktop to look up.
QString callNoticeIcon();

#include "calllog/CallNotifier.h"

#include "calllog/CallNotice.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>

namespace {

const QString kIconName = QStringLiteral("ringvane");
const QString kDesktopEntry = QStringLiteral("ringvane");

} // namespace

QString callNoticeIcon()
{
    if (!QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                QStringLiteral("icons/hicolor/32x32/apps/ringvane.png"))
             .isEmpty())
        return kIconName;
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/ringvane.png");
    if (QFileInfo::exists(beside))
        return QUrl::fromLocalFile(beside).toString();
    return kIconName;
}

CallNotifier::CallNotifier(bool enabled, ServiceMaker makeService, QObject *parent)
    : QObject(parent)
{
    if (!enabled || !makeService)
        return;
    m_service = makeService();
    if (!m_service)
        return;
    m_icon = callNoticeIcon();
    m_clock.start();
    m_release.setSingleShot(true);
    connect(&m_release, &QTimer::timeout, this,
            [this] { show(m_pacer.release(m_clock.elapsed())); });
    connect(m_service.get(), &DesktopNotifications::activated, this, &CallNotifier::activated);
    connect(m_service.get(), &DesktopNotifications::unavailable, this, [this](const QString &text) {
        m_gone = true;
        m_release.stop();
        Q_EMIT unavailable(text);
    });
}

CallNotifier::~CallNotifier() = default;

void CallNotifier::notify(const Call &call, const CallerShown &shown)
{
    if (!m_service || m_gone)
        return;
    m_latest = call;
    m_latestShown = shown;
    const NoticePacer::Step step = m_pacer.arrive(m_clock.elapsed());
    if (step.showNow)
        show(step);
    else if (!m_release.isActive())
        m_release.start(int(std::max<qint64>(0, m_pacer.dueAt() - m_clock.elapsed())));
}

void CallNotifier::show(const NoticePacer::Step &step)
{
    if (!step.showNow)
        return;
    const CallNoticeText text = callNoticeText(m_latest, step.calls, m_latestShown);
    DesktopNotice notice;
    notice.appName = QStringLiteral("Ringvane");
    notice.icon = m_icon;
    notice.desktopEntry = kDesktopEntry;
    notice.summary = text.summary;
    notice.body = text.body;
    notice.defaultActionLabel = tr("Show Ringvane");
    notice.lowUrgency = m_latest.blocked;
    m_handle = m_service->show(notice, step.replaces ? m_handle : 0);
}

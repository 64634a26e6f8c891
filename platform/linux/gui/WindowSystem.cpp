#include "platform/gui/WindowSystem.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QList>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QThread>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>

namespace windowsystem {

namespace {

const char *const kTaskbarProperty = "ringvane_taskbarEntry";
const char *const kExactCaptionName = "ringvane_exactCaption";

xcb_connection_t *x11Connection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(c, 0, quint16(qstrlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(c, cookie, nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return result;
}

// Whether the window manager has taken the window on (normal or iconic). A window it
// has not (not yet shown, or no window manager at all) is in the withdrawn state.
bool isManaged(xcb_connection_t *c, xcb_window_t id)
{
    const xcb_atom_t wmState = atom(c, "WM_STATE");
    if (wmState == XCB_ATOM_NONE)
        return false;
    const xcb_get_property_cookie_t cookie = xcb_get_property(c, 0, id, wmState, wmState, 0, 1);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(c, cookie, nullptr);
    bool managed = false;
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply) >= 4) {
        const quint32 state = *static_cast<const quint32 *>(xcb_get_property_value(reply));
        managed = state != 0; // 0 WithdrawnState, 1 NormalState, 3 IconicState
    }
    free(reply);
    return managed;
}

// A withdrawn window's _NET_WM_STATE belongs to the client: add or remove the atom in
// the property itself, keeping the others (Qt merges its own when it maps the window).
void editNetWmStateProperty(xcb_connection_t *c, xcb_window_t id, bool add, xcb_atom_t state)
{
    const xcb_atom_t netWmState = atom(c, "_NET_WM_STATE");
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(c, 0, id, netWmState, XCB_ATOM_ATOM, 0, 1024);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(c, cookie, nullptr);
    QList<xcb_atom_t> atoms;
    if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto *data = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply));
        const int count = xcb_get_property_value_length(reply) / 4;
        for (int i = 0; i < count; ++i)
            atoms.append(data[i]);
    }
    free(reply);
    atoms.removeAll(state);
    if (add)
        atoms.append(state);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, netWmState, XCB_ATOM_ATOM, 32,
                        quint32(atoms.size()), atoms.constData());
}

// Adds or removes one _NET_WM_STATE atom: through the window manager while it manages
// the window, in the property itself before that (it ignores requests for withdrawn
// windows, so a state asked for before the first show would otherwise be lost).
void changeNetWmState(QWidget *window, bool add, const char *stateName)
{
    xcb_connection_t *c = x11Connection();
    if (!c || !window->windowHandle())
        return;
    const xcb_window_t id = xcb_window_t(window->winId());
    const xcb_atom_t state = atom(c, stateName);
    if (!isManaged(c, id)) {
        editNetWmStateProperty(c, id, add, state);
        xcb_flush(c);
        return;
    }
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = id;
    event.type = atom(c, "_NET_WM_STATE");
    event.data.data32[0] = add ? 1 : 0;
    event.data.data32[1] = state;
    event.data.data32[3] = 1; // sent by a normal application
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_send_event(c, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(c);
}

// WM_NAME (Latin-1 as STRING where it fits, else UTF8_STRING) and _NET_WM_NAME, both
// holding the caption byte for byte; an empty caption gives empty properties.
void writeCaption(QWidget *top)
{
    xcb_connection_t *c = x11Connection();
    if (!c || !top->internalWinId())
        return;
    const xcb_window_t id = xcb_window_t(top->internalWinId());
    const QString caption = top->windowTitle();
    const QByteArray utf8 = caption.toUtf8();
    const xcb_atom_t utf8Type = atom(c, "UTF8_STRING");
    const bool latin1 = std::all_of(caption.cbegin(), caption.cend(),
                                    [](QChar ch) { return ch.unicode() <= 0xFF; });
    const QByteArray wmName = latin1 ? caption.toLatin1() : utf8;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME,
                        latin1 ? xcb_atom_t(XCB_ATOM_STRING) : utf8Type, 8, quint32(wmName.size()),
                        wmName.constData());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom(c, "_NET_WM_NAME"), utf8Type, 8,
                        quint32(utf8.size()), utf8.constData());
    xcb_flush(c);
}

// Rewrites the caption after Qt has written its own version: on each title change and
// when the native window is (re)created.
class ExactCaption : public QObject
{
public:
    explicit ExactCaption(QWidget *window) : QObject(window), m_window(window)
    {
        setObjectName(QLatin1String(kExactCaptionName));
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window
            && (event->type() == QEvent::WindowTitleChange || event->type() == QEvent::WinIdChange))
            writeCaption(m_window);
        return false;
    }

private:
    QWidget *m_window;
};

// Follows the mouse with the window until the left button comes up; used where the
// window manager cannot move the window for us.
class ManualDrag : public QObject
{
public:
    ManualDrag(QWidget *window, const QPoint &grabOffset)
        : QObject(window), m_window(window), m_offset(grabOffset)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (!m_window) {
            deleteLater();
            return false;
        }
        switch (event->type()) {
        case QEvent::MouseMove: {
            auto *move = static_cast<QMouseEvent *>(event);
            m_window->move(move->globalPosition().toPoint() - m_offset);
            return false;
        }
        case QEvent::MouseButtonRelease:
            qApp->removeEventFilter(this);
            deleteLater();
            return false;
        default:
            return false;
        }
    }

private:
    QPointer<QWidget> m_window;
    QPoint m_offset;
};

} // namespace

void SetWindowPos(QWidget *window, int insertAfter, int x, int y, int cx, int cy, unsigned flags)
{
    QWidget *top = window->window();
    if (!(flags & SWP_NOMOVE))
        top->move(x, y);
    if (!(flags & SWP_NOSIZE))
        top->resize(cx, cy);
    if (insertAfter == HWND_TOPMOST) {
        if (top->isVisible())
            changeNetWmState(top, true, "_NET_WM_STATE_ABOVE");
        // Changing the flags of a shown window re-creates it; Qt keeps the flag and maps
        // it to the window manager's "above" state when the window is shown.
        const bool visible = top->isVisible();
        top->setWindowFlag(Qt::WindowStaysOnTopHint, true);
        if (visible)
            top->show();
    } else if (insertAfter == HWND_BOTTOM) {
        sendToBack(top);
    }
}

void sendToBack(QWidget *window)
{
    window->window()->lower();
}

void ReleaseCapture()
{
    if (QWidget *grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
}

bool beginWindowDrag(QWidget *window)
{
    QWidget *top = window->window();
    QWindow *handle = top->windowHandle();
    // The window manager's move is told the left button is held; for any other button it
    // would wait for a release that never comes, so those drags follow the mouse here.
    if (handle && QGuiApplication::mouseButtons() == Qt::LeftButton && handle->startSystemMove())
        return true;
    new ManualDrag(top, QCursor::pos() - top->pos());
    return false;
}

void setTaskbarEntry(QWidget *window, bool shown)
{
    QWidget *top = window->window();
    top->setProperty(kTaskbarProperty, shown);
    changeNetWmState(top, !shown, "_NET_WM_STATE_SKIP_TASKBAR");
    changeNetWmState(top, !shown, "_NET_WM_STATE_SKIP_PAGER");
}

bool hasTaskbarEntry(const QWidget *window)
{
    const QVariant value = window->window()->property(kTaskbarProperty);
    return !value.isValid() || value.toBool();
}

void keepExactCaption(QWidget *window)
{
    QWidget *top = window->window();
    if (top->findChild<QObject *>(QLatin1String(kExactCaptionName), Qt::FindDirectChildrenOnly))
        return;
    new ExactCaption(top);
    writeCaption(top);
}

void centreOnScreen(QWidget *window)
{
    QWidget *top = window->window();
    QScreen *screen = top->screen() ? top->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = top->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    top->move(frame.topLeft());
}

void processPendingMessages()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void Sleep(int milliseconds)
{
    QThread::msleep(static_cast<unsigned long>(qMax(milliseconds, 0)));
}

} // namespace windowsystem

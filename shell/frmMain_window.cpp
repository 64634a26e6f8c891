// Window handling: the drag of a window without a title bar, minimising, the caption.
#include "shell/frmMain.h"

#include "platform/gui/WindowSystem.h"

#include <QMouseEvent>

void frmMain::mousePressEvent(QMouseEvent *event)
{
    // Presses a control leaves unhandled (on a frame line, on a disabled control) come up
    // here as well; only the bare face drags.
    const QPointF at = event->position();
    if (childAt(at.toPoint()))
        return;
    const auto [button, shift] = mouseArguments(event);
    Form_MouseDown(button, shift, float(at.x()), float(at.y()));
}

void frmMain::Form_MouseDown(int, int, float, float)
{
    windowsystem::ReleaseCapture();
    windowsystem::beginWindowDrag(this);
}

void frmMain::imgTitle_MouseDown(int button, int shift, float x, float y)
{
    Form_MouseDown(button, shift, x, y);
}

void frmMain::lblTip_MouseDown(int button, int shift, float x, float y)
{
    Form_MouseDown(button, shift, x, y);
}

void frmMain::btn5_Click()
{
    setWindowState((windowState() & ~Qt::WindowActive) | Qt::WindowMinimized);
}

int frmMain::WindowState() const
{
    if (isMinimized())
        return vbMinimized;
    if (isMaximized())
        return vbMaximized;
    return vbNormal;
}

void frmMain::Form_Resize()
{
    switch (WindowState()) {
    case vbNormal:
        setWindowTitle(tr("hi"));
        break;
    case vbMinimized:
        setWindowTitle(strTip);
        break;
    default:
        break;
    }
}

void frmMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        // Still unmapped here: placed and marked before the window manager first sees it.
        if (m_centreAtFirstShow)
            windowsystem::centreOnScreen(this);
        windowsystem::setTaskbarEntry(this, m_showInTaskbar);
        Form_Resize();
    }
}

void frmMain::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        // A minimised window without a taskbar entry could not be brought back on most
        // Linux desktops, so it has one exactly while minimised.
        windowsystem::setTaskbarEntry(this, m_showInTaskbar || WindowState() == vbMinimized);
        Form_Resize();
    }
}

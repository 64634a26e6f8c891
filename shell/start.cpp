#include "shell/start.h"

#include "shell/LayoutBuilder.h"
#include "picturebutton/PictureStore.h"
#include "platform/gui/WindowSystem.h"

#include <QPainter>

start::start(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::WindowDoesNotAcceptFocus)
{
    const layoutdata::WindowLayout layout = layoutbuilder::loadWindow(QStringLiteral(":/layout/start.json"));
    layoutbuilder::applyWindow(this, layout);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_picture = picturestore::image(layout.picture);
    m_backColor = layout.backColor;
    m_centred = layout.centred;
    m_showInTaskbar = layout.showInTaskbar;
}

void start::Form_Load()
{
    show();
}

void start::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        // Still unmapped here: placed and marked before the window manager first sees it.
        if (m_centred)
            windowsystem::centreOnScreen(this);
        windowsystem::setTaskbarEntry(this, m_showInTaskbar);
    }
}

void start::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    layoutbuilder::paintFace(painter, this, m_picture, m_backColor);
}

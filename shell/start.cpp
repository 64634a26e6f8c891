#include "start.h"

#include "LayoutBuilder.h"
#include "WindowSystem.h"

#include <QPainter>

start::start(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
{
    const layoutdata::WindowLayout layout = layoutbuilder::loadWindow(QStringLiteral(":/layout/start.json"));
    setObjectName(layout.name);
    setWindowTitle(layout.caption);
    setFixedSize(layout.clientSize);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_picture = QPixmap(layout.picture);
}

void start::Form_Load()
{
    show();
    windowsystem::centreOnScreen(this);
}

void start::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
}

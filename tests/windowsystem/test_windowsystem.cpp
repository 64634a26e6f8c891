#include "platform/gui/WindowSystem.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

using namespace windowsystem;

namespace {

void sendMouse(QWidget *target, QEvent::Type type, QPoint local, Qt::MouseButton button,
               Qt::MouseButtons held)
{
    const QPointF global = target->mapToGlobal(QPointF(local));
    QMouseEvent event(type, QPointF(local), global, button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

TEST(WindowDrag, FollowsTheMouseWhenNoWindowManagerMovesIt)
{
    QWidget window;
    window.setWindowFlag(Qt::FramelessWindowHint);
    window.setGeometry(100, 100, 200, 150);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QCursor::setPos(window.mapToGlobal(QPoint(10, 10)));
    // The offscreen platform has no window manager, so the system move is refused.
    EXPECT_FALSE(beginWindowDrag(&window));
    const QPoint start = window.pos();
    sendMouse(&window, QEvent::MouseMove, QPoint(40, 30), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(window.pos(), start + QPoint(30, 20));

    sendMouse(&window, QEvent::MouseButtonRelease, QPoint(40, 30), Qt::LeftButton, Qt::NoButton);
    const QPoint dropped = window.pos();
    sendMouse(&window, QEvent::MouseMove, QPoint(90, 90), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(window.pos(), dropped) << "the window stops following once the button is up";
}

TEST(WindowDrag, AWindowClosedMidDragEndsItQuietly)
{
    auto *window = new QWidget;
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    beginWindowDrag(window);
    delete window;
    QWidget other;
    other.show();
    sendMouse(&other, QEvent::MouseMove, QPoint(5, 5), Qt::NoButton, Qt::LeftButton);
    SUCCEED();
}

TEST(Topmost, StaysOnTopOnceSet)
{
    QWidget window;
    EXPECT_FALSE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    SetWindowPos(&window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(window.isVisible()) << "setting topmost before the first show must not show it";
}

TEST(TaskbarEntry, RemembersWhatWasAskedFor)
{
    QWidget window;
    EXPECT_TRUE(hasTaskbarEntry(&window));
    setTaskbarEntry(&window, false);
    EXPECT_FALSE(hasTaskbarEntry(&window));
    setTaskbarEntry(&window, true);
    EXPECT_TRUE(hasTaskbarEntry(&window));
}

TEST(Sleep, BlocksWithoutRunningEvents)
{
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    QElapsedTimer clock;
    clock.start();
    Sleep(30);
    EXPECT_GE(clock.elapsed(), 29);
    EXPECT_FALSE(ran);
    processPendingMessages();
    EXPECT_TRUE(ran);
}

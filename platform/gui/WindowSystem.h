#pragma once

class QWidget;

// The few window-system calls the main window makes: z-order, mouse capture, a drag of
// a window that has no title bar, whether the window has a taskbar entry, its caption. X11 does
// the work where it runs; elsewhere the calls fall back to what Qt alone can do.
namespace windowsystem {

inline constexpr int HWND_TOPMOST = -1;
inline constexpr int HWND_BOTTOM = 1;
inline constexpr unsigned SWP_NOSIZE = 0x1;
inline constexpr unsigned SWP_NOMOVE = 0x2;

// Changes the window's place in the z-order; HWND_TOPMOST keeps it above ordinary windows.
void SetWindowPos(QWidget *window, int insertAfter, int x, int y, int cx, int cy, unsigned flags);

// Sends the window to the bottom of the z-order.
void sendToBack(QWidget *window);

// Lets go of any mouse grab held by a widget of this program.
void ReleaseCapture();

// Moves the window with the mouse until the button is released, as dragging a title bar
// does. Uses the window manager's own move; where that is refused (no window manager),
// the window follows the mouse by itself. Returns true when the system move took it.
bool beginWindowDrag(QWidget *window);

// Whether the window shows in the taskbar (and the task switcher).
void setTaskbarEntry(QWidget *window, bool shown);
bool hasTaskbarEntry(const QWidget *window);

// From now on the window system gets the window's caption exactly as the window holds it,
// after every change and whenever the window is created anew. Qt alone would put the
// application's name in place of an empty caption.
void keepExactCaption(QWidget *window);

// Places a top-level window in the middle of the screen it is on.
void centreOnScreen(QWidget *window);

// One pass of pending window messages.
void processPendingMessages();

// Blocks the thread, letting no event run.
void Sleep(int milliseconds);

} // namespace windowsystem

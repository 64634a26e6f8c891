// Runs on a real X server (xvfb-run, no window manager): what the window tells X, and a
// screenshot of the whole window kept as an artefact for people to look at.
#include "platform/gui/WindowSystem.h"
#include "shell/ReceiveLogView.h"
#include "tests/window/WindowTestSupport.h"
#include "picturebutton/btn.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

#include <xcb/xcb.h>

namespace {

xcb_connection_t *connection()
{
    return qApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

xcb_atom_t atom(const char *name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(connection(), xcb_intern_atom(connection(), 0, quint16(qstrlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return result;
}

QByteArray property(QWidget *window, const char *name, xcb_atom_t type)
{
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection(), xcb_get_property(connection(), 0, xcb_window_t(window->winId()), atom(name), type, 0, 1024),
        nullptr);
    QByteArray value;
    if (reply)
        value = QByteArray(static_cast<const char *>(xcb_get_property_value(reply)),
                           xcb_get_property_value_length(reply));
    free(reply);
    return value;
}

// A text property as the window holds it: its type (none when absent) and its bytes.
std::pair<xcb_atom_t, QByteArray> textProperty(QWidget *window, const char *name)
{
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection(),
        xcb_get_property(connection(), 0, xcb_window_t(window->winId()), atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 4096),
        nullptr);
    std::pair<xcb_atom_t, QByteArray> result{XCB_ATOM_NONE, {}};
    if (reply) {
        result = {reply->type, QByteArray(static_cast<const char *>(xcb_get_property_value(reply)),
                                          xcb_get_property_value_length(reply))};
    }
    free(reply);
    return result;
}

QList<xcb_atom_t> netWmState(QWidget *window)
{
    const QByteArray raw = property(window, "_NET_WM_STATE", XCB_ATOM_ATOM);
    QList<xcb_atom_t> atoms;
    for (qsizetype i = 0; i + 4 <= raw.size(); i += 4)
        atoms << *reinterpret_cast<const xcb_atom_t *>(raw.constData() + i);
    return atoms;
}

void settle()
{
    QTest::qWait(100);
}

} // namespace

TEST(OnX11, TheWindowAsXSeesIt)
{
    WindowUnderTest w;
    windowsystem::SetWindowPos(w.window.get(), windowsystem::HWND_TOPMOST, 0, 0, 0, 0,
                               windowsystem::SWP_NOSIZE | windowsystem::SWP_NOMOVE);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.window.get()));
    settle();

    const QList<xcb_atom_t> shown = netWmState(w.window.get());
    EXPECT_TRUE(shown.contains(atom("_NET_WM_STATE_SKIP_TASKBAR"))) << "no taskbar entry while shown";
    EXPECT_TRUE(shown.contains(atom("_NET_WM_STATE_ABOVE"))) << "topmost";

    const QRect screen = w->screen()->geometry();
    EXPECT_EQ(w->geometry().size(), QSize(509, 410));
    EXPECT_LE((w->geometry().center() - screen.center()).manhattanLength(), 1) << "centred";

    // The desktop file names the window's class.
    const QByteArray wmClass = property(w.window.get(), "WM_CLASS", XCB_ATOM_STRING);
    EXPECT_EQ(wmClass.split('\0').value(1), QByteArray("ringvane"));

    w->btn5_Click();
    settle();
    EXPECT_FALSE(netWmState(w.window.get()).contains(atom("_NET_WM_STATE_SKIP_TASKBAR")))
        << "a taskbar entry while minimised";
    w->setWindowState(Qt::WindowNoState);
    settle();
    EXPECT_TRUE(netWmState(w.window.get()).contains(atom("_NET_WM_STATE_SKIP_TASKBAR")))
        << "no entry again once restored";
}

// What a panel shows for the minimised window is the caption byte for byte: an empty
// status gives empty names (Qt alone would put the program's name there), and a
// caller's text keeps its "[*]" (Qt alone would take it for its modified marker).
TEST(OnX11, TheCaptionAsXHoldsIt)
{
    WindowUnderTest w;
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.window.get()));
    settle();

    struct Step
    {
        const char *what;
        std::function<void(frmMain &)> act;
        QString caption;
    };
    const QString sorry = QStringLiteral("Sorry , I couldn't use the modem");
    const QString caller = QStringLiteral("[*] 来电 [2024/05/14 17:58] 5551234");
    const Step steps[] = {
        {"shown", [](frmMain &) {}, QStringLiteral("hi")},
        {"minimised with an empty tip line", [](frmMain &f) { f.btn5_Click(); }, QString()},
        {"a status while minimised", [&](frmMain &f) { f.ShowTip(sorry, Tip::Problem, false); }, sorry},
        {"a caller's text while minimised", [&](frmMain &f) { f.ShowTip(caller, Tip::Call, false); }, caller},
        {"restored", [](frmMain &f) { f.setWindowState(Qt::WindowNoState); }, QStringLiteral("hi")},
        {"status cleared, then minimised", [](frmMain &f) {
             f.ShowTip(QString(), Tip::Good, false);
             f.btn5_Click();
         }, QString()},
        {"restored again", [](frmMain &f) { f.setWindowState(Qt::WindowNoState); }, QStringLiteral("hi")},
    };
    const xcb_atom_t utf8 = atom("UTF8_STRING");
    for (const Step &step : steps) {
        SCOPED_TRACE(step.what);
        step.act(*w);
        settle();
        EXPECT_EQ(w->windowTitle(), step.caption);
        const auto [netType, netName] = textProperty(w.window.get(), "_NET_WM_NAME");
        EXPECT_EQ(netType, utf8);
        EXPECT_EQ(netName, step.caption.toUtf8());
        const auto [type, name] = textProperty(w.window.get(), "WM_NAME");
        if (type == XCB_ATOM_STRING) {
            EXPECT_EQ(name, step.caption.toLatin1());
            EXPECT_EQ(QString::fromLatin1(name), step.caption) << "STRING holds Latin-1 only";
        } else {
            EXPECT_EQ(type, utf8);
            EXPECT_EQ(name, step.caption.toUtf8());
        }
    }
}

TEST(OnX11, Screenshot)
{
    WindowUnderTest w;
    w->cboMODEM->addItem(QStringLiteral("Simulated caller-ID modem"));
    w->cboMODEM->setCurrentIndex(0);
    const char *const calls[] = {
        "001.[2024/05/14 08:02] 075583641234", "002.[2024/05/14 09:47] 13912345678",
        "003.[2024/05/14 11:15] 5551234",      "004.[2024/05/14 14:25] 02161234567",
        "005.[2024/05/14 17:58] P",
    };
    for (const char *call : calls)
        w->lstCID->addItem(QString::fromLatin1(call));
    w->brDay->setText(QStringLiteral("2024/05/14"));
    w->ShowTip(QStringLiteral("[2024/05/14 17:58] P"), Tip::Call, false);
    w->Power->Value(1);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.window.get()));
    settle();

    const QString folder = QStringLiteral(RINGVANE_BINARY_DIR "/artifacts");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QRect at = w->geometry();
    const QPixmap shot = w->screen()->grabWindow(0, at.x(), at.y(), at.width(), at.height());
    ASSERT_EQ(shot.size(), QSize(509, 410));
    ASSERT_TRUE(shot.save(folder + QStringLiteral("/frmMain.png")));

    w->RcvText->appendReceived(QStringLiteral("ATZ\r\r\nOK\r\nats0=0\r\r\nOK\r\nAT+VCID=1\r\r\nOK\r\n\r\nRING\r\n\r\n"
                                              "DATE = 0514\r\nTIME = 1758\r\nNMBR = P\r\n\r\nRING\r\n"));
    w->RcvText->show();
    w->ShowTip(QStringLiteral("Sorry , I couldn't use the modem"), Tip::Problem, false);
    settle();
    const QPixmap log = w->screen()->grabWindow(0, at.x(), at.y(), at.width(), at.height());
    ASSERT_TRUE(log.save(folder + QStringLiteral("/frmMain-receivelog.png")));
}

// A first start without a modem, tip line and receive log: frmMain-nomodem.png.
TEST(OnX11, ScreenshotWithoutAModem)
{
    QTemporaryDir state; // no report kept: the receive log says how to get one
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    WindowUnderTest w;
    w->FillModemList();
    w->explainMissingModem();
    qunsetenv("XDG_STATE_HOME");
    w->RcvText->show();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.window.get()));
    settle();
    ASSERT_TRUE(QDir().mkpath(QStringLiteral(RINGVANE_BINARY_DIR "/artifacts")));
    ASSERT_TRUE(w->screen()->grabWindow(0, w->x(), w->y(), w->width(), w->height())
                    .save(QStringLiteral(RINGVANE_BINARY_DIR "/artifacts/frmMain-nomodem.png")));
}

int main(int argc, char **argv)
{
    qputenv("LC_ALL", "C.UTF-8");
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    // As the program names itself, so the window carries its class.
    QApplication::setApplicationName(QStringLiteral("ringvane"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

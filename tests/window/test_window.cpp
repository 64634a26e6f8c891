#include "platform/gui/WindowSystem.h"
#include "shell/ReceiveLogView.h"
#include "tests/window/WindowTestSupport.h"
#include "picturebutton/btn.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QRawFont>
#include <QScreen>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QWidget *control(frmMain &w, const char *name)
{
    auto *found = w.findChild<QWidget *>(QLatin1String(name), Qt::FindDirectChildrenOnly);
    EXPECT_NE(found, nullptr) << "no control " << name;
    return found;
}

void showAndWait(frmMain &w)
{
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
}

QJsonArray rawControls()
{
    QFile file(QStringLiteral(":/layout/frmMain.json"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("controls")).toArray();
}

const char *const kButtons[] = {"Power", "brPrev", "brNext", "btnClose", "brToday", "btn5", "btnRcd", "btnMdm"};

} // namespace

TEST(WindowAtLoad, FramelessFixedAndNamedRingvane)
{
    WindowUnderTest w;
    EXPECT_EQ(w->windowTitle(), QStringLiteral("ringvane"));
    EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(w->size(), QSize(509, 410));
    EXPECT_EQ(w->minimumSize(), QSize(509, 410));
    EXPECT_EQ(w->maximumSize(), QSize(509, 410));
    EXPECT_FALSE(w->windowIcon().isNull());
    EXPECT_TRUE(w->Timer1->isActive());
    EXPECT_EQ(w->Timer1->interval(), 300);
    EXPECT_FALSE(w->comm->PortOpen());
    EXPECT_EQ(w->lstCID->count(), 0);
    EXPECT_EQ(w->cboMODEM->count(), 0);
    EXPECT_EQ(w->cboMODEM->currentIndex(), -1);
    EXPECT_TRUE(w->brDay->text().isEmpty());
    EXPECT_TRUE(w->lblTip->text().isEmpty());
}

TEST(WindowAtLoad, CentredAtFirstShowWithoutTaskbarEntry)
{
    WindowUnderTest w;
    showAndWait(*w);
    const QRect screen = w->screen()->availableGeometry();
    EXPECT_LE((w->frameGeometry().center() - screen.center()).manhattanLength(), 1);
    EXPECT_FALSE(windowsystem::hasTaskbarEntry(w.window.get()));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("hi"));
}

// Every control where the layout puts it (twips / 15), on the window itself.
TEST(WindowControls, GeometryAsTheLayoutGives)
{
    WindowUnderTest w;
    int placed = 0;
    for (const QJsonValue &value : rawControls()) {
        const QJsonObject c = value.toObject();
        const QString name = c.value(QStringLiteral("name")).toString();
        if (!c.contains(QStringLiteral("left")))
            continue; // Timer1 and comm have no visible part
        auto *widget = w->findChild<QWidget *>(name, Qt::FindDirectChildrenOnly);
        ASSERT_NE(widget, nullptr) << name.toStdString();
        const auto px = [&](const char *key) { return c.value(QLatin1String(key)).toInt() / 15; };
        EXPECT_EQ(widget->geometry(), QRect(px("left"), px("top"), px("width"), px("height")))
            << name.toStdString();
        EXPECT_EQ(widget->isVisibleTo(w.window.get()), c.value(QStringLiteral("visible")).toBool(true))
            << name.toStdString();
        ++placed;
    }
    EXPECT_EQ(placed, 15);
    EXPECT_EQ(w->findChild<QTimer *>(QStringLiteral("Timer1")), w->Timer1);
    EXPECT_EQ(w->comm->objectName(), QStringLiteral("comm"));
}

TEST(WindowControls, StackedAsTheLayoutGivesWithTitleAndTipAtTheBottom)
{
    WindowUnderTest w;
    QStringList bottomUp;
    for (QObject *child : w->children()) {
        if (child->isWidgetType())
            bottomUp << child->objectName();
    }
    QStringList expected;
    for (const QJsonValue &value : rawControls()) {
        const QJsonObject c = value.toObject();
        if (c.contains(QStringLiteral("left")))
            expected.prepend(c.value(QStringLiteral("name")).toString());
    }
    EXPECT_EQ(bottomUp, expected);
    ASSERT_GE(bottomUp.size(), 2);
    EXPECT_EQ(bottomUp.mid(0, 2), (QStringList{QStringLiteral("imgTitle"), QStringLiteral("lblTip")}));
}

TEST(WindowControls, ReceiveLogCoversTheCallListEntirely)
{
    WindowUnderTest w;
    showAndWait(*w);
    const QRect list = w->lstCID->geometry();
    EXPECT_TRUE(w->lstCID->isAncestorOf(w->childAt(list.center())));

    w->RcvText->show();
    for (int y = list.top(); y <= list.bottom(); ++y) {
        for (int x = list.left(); x <= list.right(); ++x) {
            QWidget *hit = w->childAt(x, y);
            if (hit != static_cast<QWidget *>(w->RcvText) && !w->RcvText->isAncestorOf(hit)) {
                ADD_FAILURE() << "the call list shows at " << x << "," << y;
                return;
            }
        }
    }
}

// Keyboard focus goes round in the given order; the tip line takes none and the hidden
// receive log is passed over.
TEST(WindowControls, TabOrder)
{
    WindowUnderTest w;
    showAndWait(*w);
    QApplication::setActiveWindow(w.window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.window.get()));
    const QStringList afterLog = {"lstCID", "cboMODEM", "Power", "brPrev", "brNext", "btnClose",
                                  "brToday", "btn5", "btnRcd", "btnMdm", "brDay", "Scriptlet1"};
    const auto walk = [&](QWidget *from, int steps) {
        from->setFocus(Qt::OtherFocusReason);
        QStringList seen{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < steps; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen << QApplication::focusWidget()->objectName();
        }
        return seen;
    };

    EXPECT_EQ(walk(w->lstCID, 12), afterLog + QStringList{"lstCID"});

    w->RcvText->show();
    EXPECT_EQ(walk(w->RcvText, 13), QStringList{"RcvText"} + afterLog + QStringList{"RcvText"});

    EXPECT_EQ(w->lblTip->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(w->imgTitle->focusPolicy(), Qt::NoFocus);
}

// What each control is beyond its place, as the description says it.
TEST(WindowControls, KindSettingsAsTheLayoutGives)
{
    WindowUnderTest w;
    EXPECT_EQ(w->RcvText->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(w->RcvText->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(w->RcvText->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_TRUE(w->RcvText->isReadOnly()) << "typed keys go to the modem, not into the log";
    EXPECT_FALSE(w->brDay->isReadOnly());
    EXPECT_EQ(w->brDay->maxLength(), 32767) << "a line edit's own limit";
    EXPECT_FALSE(w->cboMODEM->isEditable());
    EXPECT_EQ(w->lstCID->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_FALSE(w->lstCID->isSortingEnabled());
    EXPECT_FALSE(w->lblTip->wordWrap());
    EXPECT_FALSE(w->lblTip->autoFillBackground()) << "the groove shows through";
    EXPECT_FALSE(w->imgTitle->hasScaledContents());
    EXPECT_EQ(w->objectName(), QStringLiteral("frmMain"));
    EXPECT_EQ(w->comm->CommPort(), 1);
    EXPECT_EQ(w->comm->Settings(), QStringLiteral("9600,n,8,1"));
}

TEST(WindowControls, TipsAndPointers)
{
    WindowUnderTest w;
    const std::pair<const char *, const char *> tips[] = {
        {"Scriptlet1", "Help of Ringvane"},
        {"brDay", " Search the history record by select a day"},
        {"cboMODEM", "Select your modem"},
        {"Power", "Initiate Ringvane"},
        {"btnRcd", "Incoming call history record"},
        {"btnMdm", "Solve problem"},
        {"btnClose", "Exit from Ringvane"},
        {"btn5", "Minimize the Monitor"},
        {"brPrev", "history of the last day"},
        {"brNext", "history of the next day"},
        {"brToday", "the record of today"},
        {"RcvText", ""},
        {"lstCID", ""},
        {"lblTip", ""},
        {"imgTitle", ""},
    };
    for (const auto &[name, tip] : tips)
        EXPECT_EQ(control(*w, name)->toolTip(), QString::fromUtf8(tip)) << name;

    for (const char *name : kButtons)
        EXPECT_EQ(control(*w, name)->cursor().shape(), Qt::BitmapCursor) << name << " shows the hand";
    for (const char *name : {"lstCID", "cboMODEM", "lblTip", "imgTitle"})
        EXPECT_EQ(control(*w, name)->cursor().shape(), Qt::ArrowCursor) << name;
    EXPECT_EQ(w->cursor().shape(), Qt::ArrowCursor);
}

TEST(WindowFonts, RequestedByNameAndSize)
{
    WindowUnderTest w;
    struct Expected
    {
        const char *name;
        const char *family;
        double points;
        bool bold;
    };
    const Expected fonts[] = {
        {"RcvText", "宋体", 9, false},          {"cboMODEM", "宋体", 9, false},
        {"lstCID", "宋体", 10.5, false},        {"brDay", "MS Sans Serif", 9.75, true},
        {"lblTip", "MS Sans Serif", 9.75, true},
    };
    for (const Expected &e : fonts) {
        const QFont font = control(*w, e.name)->font();
        ASSERT_FALSE(font.families().isEmpty()) << e.name;
        EXPECT_EQ(font.families().constFirst(), QString::fromUtf8(e.family)) << e.name;
        EXPECT_DOUBLE_EQ(font.pointSizeF(), e.points) << e.name;
        EXPECT_EQ(font.bold(), e.bold) << e.name;
        EXPECT_FALSE(font.italic() || font.underline() || font.strikeOut()) << e.name;
        // What is really used: an installed face, bold where asked.
        const QFontInfo used(font);
        EXPECT_TRUE(QFontDatabase::families().contains(used.family())) << e.name;
        EXPECT_EQ(used.bold(), e.bold) << e.name;
    }
}

// "宋体" is not installed here: the fallback must draw real Chinese glyphs, not boxes.
TEST(WindowFonts, ChineseTextRendersThroughTheFallback)
{
    WindowUnderTest w;
    const QString chinese = QStringLiteral("来电显示");
    for (const char *name : {"RcvText", "cboMODEM", "lstCID"}) {
        const QFont font = control(*w, name)->font();
        const QRawFont raw = QRawFont::fromFont(font, QFontDatabase::SimplifiedChinese);
        ASSERT_TRUE(raw.isValid()) << name;
        for (const QChar c : chinese)
            EXPECT_TRUE(raw.supportsCharacter(c)) << name << " has no glyph for " << int(c.unicode());

        // Different characters must come out as different shapes.
        QList<QImage> drawn;
        for (const QChar c : chinese) {
            QImage image(32, 32, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.setFont(font);
            painter.setPen(Qt::black);
            painter.drawText(image.rect(), Qt::AlignCenter, QString(c));
            painter.end();
            EXPECT_FALSE(drawn.contains(image)) << name << " draws " << int(c.unicode()) << " like another";
            drawn << image;
        }
    }
}

// Faces are drawn unscaled from the top-left corner and cut at the button's edge.
TEST(WindowButtons, FacesCutAtTheButtonSize)
{
    WindowUnderTest w;
    showAndWait(*w);
    for (const char *name : kButtons) {
        auto *button = static_cast<btn *>(control(*w, name));
        ASSERT_TRUE(button->face()) << name;
        const QImage face = button->face()->image().convertToFormat(QImage::Format_RGB32);
        const QImage shown = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(shown.size(), button->size()) << name;
        EXPECT_EQ(shown, face.copy(QRect(QPoint(0, 0), button->size()))) << name;
    }
    EXPECT_EQ(w->btn5->size(), QSize(27, 25));
    EXPECT_EQ(w->btn5->face()->image().size(), QSize(29, 26));
    EXPECT_EQ(w->btnRcd->size(), QSize(44, 47));
    EXPECT_EQ(w->btnRcd->face()->image().size(), QSize(44, 48));
}

// A press drags the window only on its face, the title picture and the tip line, with
// any button. Offscreen there is no window manager, so the window follows the mouse by
// itself and the test can watch it move.
TEST(WindowDrag, StartsOnlyFromTheFaceTitleAndTipLine)
{
    WindowUnderTest w;
    showAndWait(*w);
    struct Case
    {
        const char *target; // null: the window face
        QPoint at;          // in the target; (-1,-1) its centre
        Qt::MouseButton button;
        bool drags;
        enum { Nothing, DisableBrPrev, ShowReceiveLog } first = Nothing;
    };
    const QPoint centre(-1, -1);
    const Case cases[] = {
        {nullptr, QPoint(10, 200), Qt::LeftButton, true},
        {nullptr, QPoint(500, 380), Qt::RightButton, true},
        {nullptr, QPoint(10, 200), Qt::MiddleButton, true},
        {"imgTitle", centre, Qt::LeftButton, true},
        {"imgTitle", QPoint(2, 2), Qt::RightButton, true},
        {"lblTip", centre, Qt::LeftButton, true},
        {"lblTip", centre, Qt::RightButton, true},
        {"lstCID", centre, Qt::LeftButton, false},
        {"lstCID", QPoint(0, 0), Qt::LeftButton, false}, // its frame line
        {"lstCID", centre, Qt::RightButton, false},
        {"cboMODEM", centre, Qt::LeftButton, false},
        {"brDay", centre, Qt::LeftButton, false},
        {"Scriptlet1", centre, Qt::LeftButton, false},
        {"Power", centre, Qt::LeftButton, false},
        {"btn5", centre, Qt::RightButton, false},
        {"brPrev", centre, Qt::LeftButton, false, Case::DisableBrPrev},
        {"RcvText", centre, Qt::LeftButton, false, Case::ShowReceiveLog},
    };
    for (const Case &c : cases) {
        const std::string what = std::string(c.target ? c.target : "face") + " button "
                                 + std::to_string(int(c.button));
        if (c.first == Case::DisableBrPrev)
            w->brPrev->Enabled(false);
        if (c.first == Case::ShowReceiveLog)
            w->RcvText->show();
        QWidget *target = c.target ? control(*w, c.target) : w.window.get();
        const QPoint at = c.at == centre ? target->rect().center() : c.at;
        const QPoint global = target->mapToGlobal(at);
        QCursor::setPos(global);
        QCoreApplication::processEvents();
        const QPoint before = w->pos();

        QTest::mousePress(target, c.button, Qt::NoModifier, at);
        QMouseEvent move(QEvent::MouseMove, QPointF(at + QPoint(30, 20)), QPointF(global + QPoint(30, 20)),
                         Qt::NoButton, c.button, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        const QPoint moved = w->pos();
        QTest::mouseRelease(target, c.button, Qt::NoModifier, at + QPoint(30, 20));
        QCoreApplication::processEvents();

        EXPECT_EQ(moved, c.drags ? before + QPoint(30, 20) : before) << what;
        // Whatever happened, the drag is over once the button is up.
        const QPoint dropped = w->pos();
        QMouseEvent after(QEvent::MouseMove, QPointF(5, 5), QPointF(w->mapToGlobal(QPoint(5, 5)) + QPoint(50, 50)),
                          Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w.window.get(), &after);
        EXPECT_EQ(w->pos(), dropped) << what;
        w->move(before);
    }
}

TEST(WindowState, MinimiseAndTheCaptionRule)
{
    WindowUnderTest w;
    showAndWait(*w);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("hi"));
    EXPECT_EQ(w->WindowState(), frmMain::vbNormal);

    const QString sorry = QStringLiteral("Sorry , I couldn't use the modem");
    w->ShowTip(sorry, Tip::Problem, false);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("hi")) << "a status reaches the caption only while minimised";
    QTest::mouseClick(w->btn5, Qt::LeftButton, Qt::NoModifier, w->btn5->rect().center());
    EXPECT_EQ(w->WindowState(), frmMain::vbMinimized);
    EXPECT_EQ(w->windowTitle(), sorry);

    w->ShowTip(QStringLiteral("003.[2002/10/13 14:25] 5551234"), Tip::Call, false);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("003.[2002/10/13 14:25] 5551234"));
    w->ShowTip(QString(), Tip::Good, false);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("003.[2002/10/13 14:25] 5551234"))
        << "a cleared status leaves the caption";

    w->showNormal();
    EXPECT_EQ(w->WindowState(), frmMain::vbNormal);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("hi"));

    // Minimised with an empty tip line: an empty caption.
    w->btn5_Click();
    EXPECT_EQ(w->windowTitle(), QString());
    w->showNormal();

    w->setWindowState(Qt::WindowMaximized);
    EXPECT_EQ(w->WindowState(), frmMain::vbMaximized);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("hi")) << "maximised leaves the caption";
}

// A minimised window with no taskbar entry could not be brought back, so it has one
// exactly while minimised.
TEST(WindowState, TaskbarEntryOnlyWhileMinimised)
{
    WindowUnderTest w;
    showAndWait(*w);
    const QWidget *window = w.window.get();
    for (int round = 0; round < 2; ++round) {
        EXPECT_FALSE(windowsystem::hasTaskbarEntry(window)) << "shown, round " << round;
        w->btn5_Click();
        EXPECT_TRUE(windowsystem::hasTaskbarEntry(window)) << "minimised, round " << round;
        w->setWindowState(Qt::WindowNoState);
        EXPECT_FALSE(windowsystem::hasTaskbarEntry(window)) << "restored, round " << round;
    }
    w->setWindowState(Qt::WindowMaximized);
    EXPECT_FALSE(windowsystem::hasTaskbarEntry(window));
}

TEST(WindowTexts, PlainTextOnly)
{
    WindowUnderTest w;
    const QString markup = QStringLiteral("<b>5551234</b> &amp;");
    w->ShowTip(markup, Tip::Problem, false);
    EXPECT_EQ(w->lblTip->textFormat(), Qt::PlainText);
    w->lstCID->addItem(markup);
    w->cboMODEM->addItem(markup);
    w->RcvText->appendReceived(markup);
    EXPECT_EQ(w->lstCID->item(0)->text(), markup);
    EXPECT_EQ(w->cboMODEM->itemText(0), markup);
    EXPECT_TRUE(w->RcvText->toPlainText().contains(markup));
}

TEST(HelpView, AFreshUserGetsTheShippedPage)
{
    WindowUnderTest w;
    const QString page = w.dataHome() + QStringLiteral("/ringvane/drive_c/windows/rr.htm");
    ASSERT_TRUE(QFile::exists(page));
    EXPECT_EQ(w->Scriptlet1->source(), QUrl::fromLocalFile(page));
    EXPECT_TRUE(w->Scriptlet1->document()->toPlainText().contains(QStringLiteral("Ringvane")));
    EXPECT_TRUE(QFileInfo(page).isWritable());
    EXPECT_EQ(w->Scriptlet1->geometry(), QRect(32, 352, 46, 30));
}

TEST(HelpView, APageTheUserHasIsLeftAlone)
{
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
    const QString page = home.path() + QStringLiteral("/ringvane/drive_c/windows/rr.htm");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(page).absolutePath()));
    QFile own(page);
    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    own.write("<p>my own notes</p>");
    own.close();

    {
        frmMain w(new FakeComm);
        EXPECT_EQ(w.Scriptlet1->document()->toPlainText().trimmed(), QStringLiteral("my own notes"));
    }
    ASSERT_TRUE(own.open(QIODevice::ReadOnly));
    EXPECT_EQ(own.readAll(), QByteArray("<p>my own notes</p>"));
    qunsetenv("XDG_DATA_HOME");
}

// A first start without a modem: the tip says what to do, in the modem link's colour, and
// the receive log carries ringvane-find-modems' report as the launcher kept it.
TEST(WindowFirstStart, WithoutAModemTheTipSaysSoAndTheReceiveLogShowsTheFindersReport)
{
    const QString folder = QFile::decodeName(qgetenv("XDG_STATE_HOME")) + QStringLiteral("/ringvane");
    QFile report(folder + QStringLiteral("/find-modems.txt"));
    ASSERT_TRUE(QDir().mkpath(folder) && report.open(QIODevice::WriteOnly | QIODevice::Truncate));
    report.write("/dev/ttyS0: nothing answered like a modem; left alone.\n");
    report.close();
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    report.setPermissions(QFile::ReadOwner | QFile::WriteOwner);

    WindowUnderTest w;
    w->FillModemList();
    w->explainMissingModem();
    report.remove();
    const QString tip = QStringLiteral("No caller-ID modem found: see Help, or run ringvane-find-modems in a terminal");
    EXPECT_EQ(w->lblTip->text(), tip);
    EXPECT_EQ(w->lblTip->toolTip(), tip); // longer than the line
    EXPECT_EQ(w->lblTipForeColor(), 0x8080FFu);
    EXPECT_TRUE(w->RcvText->toPlainText().contains(tip + QStringLiteral("\nringvane-find-modems reported:\n"
                                                   "/dev/ttyS0: nothing answered like a modem; left alone.\n")));
}

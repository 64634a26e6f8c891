// The layout data drives the controls: each row changes one setting of the real
// description and checks that the control built from it changes with it.
#include "tests/support/FakeComm.h"
#include "shell/LayoutBuilder.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace layoutdata;

namespace {

const WindowLayout &description()
{
    static const WindowLayout layout =
        layoutbuilder::loadWindow(QStringLiteral(":/layout/frmMain.json"));
    return layout;
}

ControlLayout described(const char *name)
{
    const ControlLayout *c = description().control(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c ? *c : ControlLayout();
}

// The control as the main window builds it, reduced to one observable value.
using Probe = std::function<QString(QObject *)>;

template <class W, class Base = W>
std::unique_ptr<QObject> made(const ControlLayout &c, void (*apply)(Base *, const ControlLayout &))
{
    auto w = std::make_unique<W>();
    apply(w.get(), c);
    return w;
}

std::unique_ptr<QObject> build(const ControlLayout &c)
{
    using namespace layoutbuilder;
    const QString &name = c.name;
    if (name == u"RcvText")
        return made<QPlainTextEdit>(c, applyTextBox);
    if (name == u"brDay")
        return made<QLineEdit>(c, applyTextBox);
    if (name == u"cboMODEM")
        return made<QComboBox>(c, applyComboBox);
    if (name == u"lstCID")
        return made<QListWidget>(c, applyListBox);
    if (name == u"Timer1")
        return made<QTimer>(c, applyTimer);
    if (name == u"comm")
        return made<FakeComm, Comm>(c, applySerialPort);
    return made<QLabel>(c, name == u"imgTitle" ? applyImage : applyLabel);
}

template <class W> W *as(QObject *o)
{
    auto *w = qobject_cast<W *>(o);
    EXPECT_NE(w, nullptr);
    return w;
}

template <class W, class V> Probe read(V (W::*get)() const)
{
    return [get](QObject *o) { return QString::number((as<W>(o)->*get)()); };
}

QString alignment(Qt::Alignment a)
{
    if (a & Qt::AlignRight)
        return QStringLiteral("right");
    if (a & Qt::AlignHCenter)
        return QStringLiteral("center");
    return QStringLiteral("left");
}

} // namespace

TEST(LayoutBuilder, AChangedSettingChangesTheControl)
{
    struct Case
    {
        const char *control;
        std::function<void(ControlLayout &)> change;
        Probe probe;
        const char *asDescribed;
        const char *changed;
    };
    const Probe bars = [](QObject *o) {
        auto *box = as<QPlainTextEdit>(o);
        return QStringLiteral("%1/%2")
            .arg(box->horizontalScrollBarPolicy())
            .arg(box->verticalScrollBarPolicy());
    };
    const Probe serial = [](QObject *o) {
        auto *port = as<FakeComm>(o);
        return QStringLiteral("%1 %2 [%3]")
            .arg(port->CommPort())
            .arg(port->Settings(), port->calls.join(u' '));
    };
    const Case cases[] = {
        {"RcvText", [](ControlLayout &c) { c.wordWrap = false; },
         read(&QPlainTextEdit::lineWrapMode), "1", "0"},
        {"RcvText", [](ControlLayout &c) { c.scrollBars = ScrollBars::Both; }, bars, "1/2", "2/2"},
        {"RcvText", [](ControlLayout &c) { c.alignment = Alignment::Center; },
         [](QObject *o) {
             return alignment(as<QPlainTextEdit>(o)->document()->defaultTextOption().alignment());
         },
         "left", "center"},
        {"RcvText", [](ControlLayout &c) { c.locked = true; }, read(&QPlainTextEdit::isReadOnly),
         "0", "1"},
        {"brDay", [](ControlLayout &c) { c.alignment = Alignment::Right; },
         [](QObject *o) { return alignment(as<QLineEdit>(o)->alignment()); }, "center", "right"},
        {"brDay", [](ControlLayout &c) { c.locked = true; }, read(&QLineEdit::isReadOnly), "0",
         "1"},
        {"brDay", [](ControlLayout &c) { c.text = QStringLiteral("5/14/2024"); },
         [](QObject *o) { return as<QLineEdit>(o)->text(); }, "", "5/14/2024"},
        {"cboMODEM", [](ControlLayout &c) { c.comboStyle = ComboStyle::DropDownCombo; },
         read(&QComboBox::isEditable), "0", "1"},
        {"lstCID", [](ControlLayout &c) { c.multiSelect = true; },
         read(&QListWidget::selectionMode), "1", "2"},
        {"lstCID", [](ControlLayout &c) { c.sorted = true; }, read(&QListWidget::isSortingEnabled),
         "0", "1"},
        {"lblTip", [](ControlLayout &c) { c.alignment = Alignment::Center; },
         [](QObject *o) { return alignment(as<QLabel>(o)->alignment()); }, "left", "center"},
        {"lblTip", [](ControlLayout &c) { c.wordWrap = true; }, read(&QLabel::wordWrap), "0", "1"},
        {"lblTip", [](ControlLayout &c) { c.backColor = 0x0000FF; },
         [](QObject *o) {
             auto *label = as<QLabel>(o);
             return label->autoFillBackground() ? label->palette().color(QPalette::Window).name()
                                                : QStringLiteral("none");
         },
         "none", "#ff0000"},
        {"imgTitle", [](ControlLayout &c) { c.stretch = true; }, read(&QLabel::hasScaledContents),
         "0", "1"},
        {"Timer1", [](ControlLayout &c) { c.enabled = false; }, read(&QTimer::isActive), "1", "0"},
        {"Timer1", [](ControlLayout &c) { c.interval = 500; }, read(&QTimer::interval), "300",
         "500"},
        // A port that already has the described settings sees no call at all.
        {"comm", [](ControlLayout &c) { c.serial.port = 3; }, serial, "1 9600,n,8,1 []",
         "3 9600,n,8,1 [CommPort=3]"},
        {"comm", [](ControlLayout &c) { c.serial.settings = QStringLiteral("2400,e,7,1"); }, serial,
         "1 9600,n,8,1 []", "1 2400,e,7,1 [Settings=2400,e,7,1]"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.control) + " to " + c.changed);
        ControlLayout control = described(c.control);
        EXPECT_EQ(c.probe(build(control).get()), QString::fromUtf8(c.asDescribed));
        c.change(control);
        EXPECT_EQ(c.probe(build(control).get()), QString::fromUtf8(c.changed));
    }
}

TEST(LayoutBuilder, AOneLineBoxRefusesToWrapOrScroll)
{
    const struct
    {
        std::optional<bool> wordWrap;
        std::optional<ScrollBars> scrollBars;
        bool refused; // saying it does neither is fine
    } cases[] = {
        {true, {}, true}, {{}, ScrollBars::Vertical, true}, {false, ScrollBars::None, false}};
    for (const auto &c : cases) {
        ControlLayout day = described("brDay");
        day.wordWrap = c.wordWrap;
        day.scrollBars = c.scrollBars;
        QLineEdit box;
        if (c.refused)
            EXPECT_THROW(layoutbuilder::applyTextBox(&box, day), layoutbuilder::Mismatch);
        else
            EXPECT_NO_THROW(layoutbuilder::applyTextBox(&box, day));
    }
}

// The window as described (frameless, with its icon) is pinned by the main window's tests.
TEST(LayoutBuilder, TheWindowSettings)
{
    WindowLayout layout = description();
    layout.border = true;
    layout.caption = QStringLiteral("Form1");
    layout.clientSize = QSize(300, 200);
    QWidget changed;
    layoutbuilder::applyWindow(&changed, layout);
    EXPECT_EQ(changed.objectName(), QStringLiteral("frmMain"));
    EXPECT_FALSE(changed.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(changed.windowTitle(), QStringLiteral("Form1"));
    EXPECT_EQ(changed.size(), QSize(300, 200));
    EXPECT_EQ(changed.maximumSize(), QSize(300, 200));
}

// The back colour shows only where the picture does not reach.
TEST(LayoutBuilder, TheFaceIsThePictureOverTheBackColour)
{
    QImage picture(10, 10, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QWidget window;
    window.resize(20, 12);
    QImage face(window.size(), QImage::Format_RGB32);
    face.fill(Qt::black);
    QPainter painter(&face);
    layoutbuilder::paintFace(painter, &window, picture, 0x0000FF);
    painter.end();
    EXPECT_EQ(face.pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(face.pixel(9, 9), qRgb(0, 0, 255));
    EXPECT_EQ(face.pixel(10, 0), qRgb(255, 0, 0)) << "right of the picture";
    EXPECT_EQ(face.pixel(0, 10), qRgb(255, 0, 0)) << "below the picture";
    EXPECT_EQ(face.pixel(19, 11), qRgb(255, 0, 0));
}

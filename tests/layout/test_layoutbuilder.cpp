// The layout data drives the controls: each row changes one setting of the real
// description and checks that the control built from it changes with it.
#include "FakeComm.h"
#include "LayoutBuilder.h"

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

std::unique_ptr<QObject> build(const ControlLayout &c)
{
    const QString &name = c.name;
    if (name == QLatin1String("RcvText")) {
        auto box = std::make_unique<QPlainTextEdit>();
        layoutbuilder::applyTextBox(box.get(), c);
        return box;
    }
    if (name == QLatin1String("brDay")) {
        auto box = std::make_unique<QLineEdit>();
        layoutbuilder::applyTextBox(box.get(), c);
        return box;
    }
    if (name == QLatin1String("cboMODEM")) {
        auto box = std::make_unique<QComboBox>();
        layoutbuilder::applyComboBox(box.get(), c);
        return box;
    }
    if (name == QLatin1String("lstCID")) {
        auto list = std::make_unique<QListWidget>();
        layoutbuilder::applyListBox(list.get(), c);
        return list;
    }
    if (name == QLatin1String("lblTip")) {
        auto label = std::make_unique<QLabel>();
        layoutbuilder::applyLabel(label.get(), c);
        return label;
    }
    if (name == QLatin1String("imgTitle")) {
        auto image = std::make_unique<QLabel>();
        layoutbuilder::applyImage(image.get(), c);
        return image;
    }
    if (name == QLatin1String("Timer1")) {
        auto timer = std::make_unique<QTimer>();
        layoutbuilder::applyTimer(timer.get(), c);
        return timer;
    }
    auto port = std::make_unique<FakeComm>();
    layoutbuilder::applySerialPort(port.get(), c);
    return port;
}

template <class W> W *as(QObject *o)
{
    auto *w = qobject_cast<W *>(o);
    EXPECT_NE(w, nullptr);
    return w;
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
        const char *setting;
        std::function<void(ControlLayout &)> change;
        Probe probe;
        const char *asDescribed;
        const char *changed;
    };
    const Probe wrap = [](QObject *o) {
        return QString::number(as<QPlainTextEdit>(o)->lineWrapMode() ==
                               QPlainTextEdit::WidgetWidth);
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
        {"RcvText", "wordWrap", [](ControlLayout &c) { c.wordWrap = false; }, wrap, "1", "0"},
        {"RcvText", "scrollBars", [](ControlLayout &c) { c.scrollBars = ScrollBars::Both; }, bars,
         "1/2", "2/2"},
        {"RcvText", "alignment", [](ControlLayout &c) { c.alignment = Alignment::Center; },
         [](QObject *o) {
             return alignment(as<QPlainTextEdit>(o)->document()->defaultTextOption().alignment());
         },
         "left", "center"},
        {"RcvText", "locked", [](ControlLayout &c) { c.locked = true; },
         [](QObject *o) { return QString::number(as<QPlainTextEdit>(o)->isReadOnly()); }, "0", "1"},
        {"brDay", "alignment", [](ControlLayout &c) { c.alignment = Alignment::Right; },
         [](QObject *o) { return alignment(as<QLineEdit>(o)->alignment()); }, "center", "right"},
        {"brDay", "locked", [](ControlLayout &c) { c.locked = true; },
         [](QObject *o) { return QString::number(as<QLineEdit>(o)->isReadOnly()); }, "0", "1"},
        {"brDay", "text", [](ControlLayout &c) { c.text = QStringLiteral("5/14/2024"); },
         [](QObject *o) { return as<QLineEdit>(o)->text(); }, "", "5/14/2024"},
        {"cboMODEM", "style", [](ControlLayout &c) { c.comboStyle = ComboStyle::DropDownCombo; },
         [](QObject *o) { return QString::number(as<QComboBox>(o)->isEditable()); }, "0", "1"},
        {"lstCID", "multiSelect", [](ControlLayout &c) { c.multiSelect = true; },
         [](QObject *o) { return QString::number(as<QListWidget>(o)->selectionMode()); }, "1", "2"},
        {"lstCID", "sorted", [](ControlLayout &c) { c.sorted = true; },
         [](QObject *o) { return QString::number(as<QListWidget>(o)->isSortingEnabled()); }, "0",
         "1"},
        {"lblTip", "alignment", [](ControlLayout &c) { c.alignment = Alignment::Center; },
         [](QObject *o) { return alignment(as<QLabel>(o)->alignment()); }, "left", "center"},
        {"lblTip", "wordWrap", [](ControlLayout &c) { c.wordWrap = true; },
         [](QObject *o) { return QString::number(as<QLabel>(o)->wordWrap()); }, "0", "1"},
        {"lblTip", "backColor", [](ControlLayout &c) { c.backColor = 0x0000FF; },
         [](QObject *o) {
             auto *label = as<QLabel>(o);
             return label->autoFillBackground() ? label->palette().color(QPalette::Window).name()
                                                : QStringLiteral("none");
         },
         "none", "#ff0000"},
        {"imgTitle", "stretch", [](ControlLayout &c) { c.stretch = true; },
         [](QObject *o) { return QString::number(as<QLabel>(o)->hasScaledContents()); }, "0", "1"},
        {"Timer1", "enabled", [](ControlLayout &c) { c.enabled = false; },
         [](QObject *o) { return QString::number(as<QTimer>(o)->isActive()); }, "1", "0"},
        {"Timer1", "interval", [](ControlLayout &c) { c.interval = 500; },
         [](QObject *o) { return QString::number(as<QTimer>(o)->interval()); }, "300", "500"},
        // A port that already has the described settings sees no call at all.
        {"comm", "commPort", [](ControlLayout &c) { c.serial.port = 3; }, serial, "1 9600,n,8,1 []",
         "3 9600,n,8,1 [CommPort=3]"},
        {"comm", "settings",
         [](ControlLayout &c) { c.serial.settings = QStringLiteral("2400,e,7,1"); }, serial,
         "1 9600,n,8,1 []", "1 2400,e,7,1 [Settings=2400,e,7,1]"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.control) + " " + c.setting);
        ControlLayout control = described(c.control);
        EXPECT_EQ(c.probe(build(control).get()), QString::fromUtf8(c.asDescribed));
        c.change(control);
        EXPECT_EQ(c.probe(build(control).get()), QString::fromUtf8(c.changed));
    }
}

TEST(LayoutBuilder, AOneLineBoxRefusesToWrapOrScroll)
{
    const std::function<void(ControlLayout &)> changes[] = {
        [](ControlLayout &c) { c.wordWrap = true; },
        [](ControlLayout &c) { c.scrollBars = ScrollBars::Vertical; },
    };
    for (const auto &change : changes) {
        ControlLayout day = described("brDay");
        change(day);
        QLineEdit box;
        EXPECT_THROW(layoutbuilder::applyTextBox(&box, day), layoutbuilder::Mismatch);
    }
    ControlLayout day = described("brDay");
    day.wordWrap = false;
    day.scrollBars = ScrollBars::None;
    QLineEdit box;
    EXPECT_NO_THROW(layoutbuilder::applyTextBox(&box, day)) << "saying it does neither is fine";
}

TEST(LayoutBuilder, TheWindowSettings)
{
    WindowLayout layout = description();
    QWidget described;
    layoutbuilder::applyWindow(&described, layout);
    EXPECT_EQ(described.objectName(), QStringLiteral("frmMain"));
    EXPECT_EQ(described.windowTitle(), QStringLiteral("ringvane"));
    EXPECT_TRUE(described.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(described.size(), QSize(509, 410));
    EXPECT_FALSE(described.windowIcon().isNull());

    layout.border = true;
    layout.caption = QStringLiteral("Form1");
    layout.clientSize = QSize(300, 200);
    layout.icon.clear();
    QWidget changed;
    layoutbuilder::applyWindow(&changed, layout);
    EXPECT_FALSE(changed.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(changed.windowTitle(), QStringLiteral("Form1"));
    EXPECT_EQ(changed.size(), QSize(300, 200));
    EXPECT_EQ(changed.maximumSize(), QSize(300, 200));
    EXPECT_TRUE(changed.windowIcon().isNull());
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

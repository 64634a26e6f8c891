#include "shell/LayoutData.h"

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <gtest/gtest.h>

#include <functional>

using namespace layoutdata;

namespace {

QByteArray resource(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

WindowLayout loadOrDie(const QString &path)
{
    initResources();
    const Result<WindowLayout> layout = load(path);
    if (!layout)
        ADD_FAILURE() << layout.errorString().toStdString();
    return layout.valueOr(WindowLayout());
}

const WindowLayout &mainWindow()
{
    static const WindowLayout layout = loadOrDie(QStringLiteral(":/layout/frmMain.json"));
    return layout;
}

const ControlLayout &control(const char *name)
{
    const ControlLayout *c = mainWindow().control(QLatin1String(name));
    if (!c) {
        ADD_FAILURE() << "no control " << name;
        static const ControlLayout none;
        return none;
    }
    return *c;
}

QImage picture(const QString &path)
{
    QImage image(path);
    EXPECT_FALSE(image.isNull()) << path.toStdString();
    return image;
}

const QRgb kFace = qRgb(170, 68, 223);

const char *const kButtons[] = {"Power", "brPrev", "brNext", "btnClose", "brToday", "btn5", "btnRcd", "btnMdm"};

} // namespace

TEST(MainWindowLayout, WindowSettings)
{
    const WindowLayout &w = mainWindow();
    EXPECT_EQ(w.name, "frmMain");
    EXPECT_EQ(w.caption, "ringvane");
    EXPECT_EQ(w.clientSize, QSize(509, 410));
    EXPECT_FALSE(w.border);
    EXPECT_FALSE(w.showInTaskbar);
    EXPECT_TRUE(w.centred);
    EXPECT_EQ(w.backColor, 0x80000005u);
    EXPECT_EQ(picture(w.picture).size(), QSize(510, 412));
    EXPECT_EQ(picture(w.icon).size(), QSize(32, 32));
}

TEST(MainWindowLayout, GeometryInPixels)
{
    struct Row { const char *name; QRect rect; };
    const Row rows[] = {
        {"Scriptlet1", {32, 352, 46, 30}}, {"RcvText", {56, 144, 408, 161}},
        {"brDay", {221, 312, 97, 22}},     {"Power", {35, 32, 42, 53}},
        {"cboMODEM", {128, 112, 278, 20}}, {"brPrev", {16, 304, 42, 45}},
        {"brNext", {464, 304, 42, 45}},    {"btnClose", {440, 34, 44, 53}},
        {"brToday", {255, 336, 42, 45}},   {"btn5", {480, 72, 27, 25}},
        {"btnRcd", {192, 64, 44, 47}},     {"btnMdm", {304, 64, 42, 45}},
        {"lstCID", {56, 145, 408, 156}},   {"lblTip", {120, 392, 374, 15}},
        {"imgTitle", {0, 0, 233, 30}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(control(row.name).geometry.has_value());
        EXPECT_EQ(*control(row.name).geometry, row.rect);
    }
    EXPECT_FALSE(control("Timer1").geometry.has_value());
    EXPECT_FALSE(control("comm").geometry.has_value());

    // Every control lies inside the client area.
    for (const ControlLayout &c : mainWindow().controls) {
        if (c.geometry) {
            EXPECT_TRUE(QRect(QPoint(0, 0), mainWindow().clientSize).contains(*c.geometry)) << c.name.toStdString();
        }
    }
}

TEST(MainWindowLayout, StackingAndTabOrder)
{
    QStringList stacking;
    for (const ControlLayout &c : mainWindow().controls)
        stacking.append(c.name);
    EXPECT_EQ(stacking, QStringList({"Scriptlet1", "RcvText", "brDay", "Power", "Timer1", "cboMODEM", "comm",
                                     "brPrev", "brNext", "btnClose", "brToday", "btn5", "btnRcd", "btnMdm",
                                     "lstCID", "lblTip", "imgTitle"}));

    // The receive log lies over the call list and covers it completely.
    EXPECT_LT(stacking.indexOf("RcvText"), stacking.indexOf("lstCID"));
    EXPECT_TRUE(control("RcvText").geometry->contains(*control("lstCID").geometry));
    EXPECT_FALSE(control("RcvText").visible);

    EXPECT_EQ(mainWindow().tabOrder(),
              QStringList({"RcvText", "lstCID", "cboMODEM", "lblTip", "Power", "brPrev", "brNext", "btnClose",
                           "brToday", "btn5", "btnRcd", "btnMdm", "brDay", "Scriptlet1"}));
}

TEST(MainWindowLayout, TipsAndFonts)
{
    struct Tip { const char *name; const char *tip; };
    const Tip tips[] = {
        {"Power", "Initiate Ringvane"}, {"btnRcd", "Incoming call history record"},
        {"btnMdm", "Solve problem"}, {"btnClose", "Exit from Ringvane"}, {"btn5", "Minimize the Monitor"},
        {"brPrev", "history of the last day"}, {"brNext", "history of the next day"},
        {"brToday", "the record of today"}, {"brDay", " Search the history record by select a day"},
        {"cboMODEM", "Select your modem"}, {"Scriptlet1", "Help of Ringvane"},
        {"RcvText", ""}, {"lstCID", ""}, {"lblTip", ""}, {"imgTitle", ""},
    };
    for (const Tip &t : tips)
        EXPECT_EQ(control(t.name).tip, QString::fromUtf8(t.tip)) << t.name;

    struct Font { const char *name; const char *family; double size; int weight; int charset;
                  quint32 fore; std::optional<quint32> back; };
    const Font fonts[] = {
        {"RcvText", "宋体", 9, 400, 134, 0x400000, 0xFFFFFF},
        {"brDay", "MS Sans Serif", 9.75, 700, 0, 0x800000, 0xFFFFFF},
        {"cboMODEM", "宋体", 9, 400, 134, 0x400000, 0xFFFFFF},
        {"lstCID", "宋体", 10.5, 400, 134, 0x000000, 0xFFFFFF},
        {"lblTip", "MS Sans Serif", 9.75, 700, 0, 0x8080FF, std::nullopt}, // the groove shows through
    };
    for (const Font &f : fonts) {
        SCOPED_TRACE(f.name);
        const ControlLayout &c = control(f.name);
        ASSERT_TRUE(c.font.has_value());
        EXPECT_EQ(c.font->family, QString::fromUtf8(f.family));
        EXPECT_DOUBLE_EQ(c.font->pointSize, f.size);
        EXPECT_EQ(c.font->weight, f.weight);
        EXPECT_EQ(c.font->charset, f.charset);
        EXPECT_FALSE(c.font->italic || c.font->underline || c.font->strikeOut);
        EXPECT_EQ(c.foreColor, f.fore);
        EXPECT_EQ(c.backColor, f.back);
        EXPECT_TRUE(c.text.isEmpty());
    }
}

TEST(MainWindowLayout, ControlSettings)
{
    const ControlLayout &log = control("RcvText");
    EXPECT_EQ(log.wordWrap, true);
    EXPECT_EQ(log.scrollBars, ScrollBars::Vertical);
    EXPECT_FALSE(log.locked.has_value()) << "the log is never typed into; that is its own";

    const ControlLayout &day = control("brDay");
    EXPECT_EQ(day.locked, false);
    EXPECT_FALSE(day.wordWrap.has_value() || day.scrollBars.has_value()) << "one line";
    EXPECT_EQ(day.alignment, Alignment::Center);

    EXPECT_EQ(control("cboMODEM").comboStyle, ComboStyle::DropDownList);
    EXPECT_FALSE(control("lstCID").sorted || control("lstCID").multiSelect);
    EXPECT_EQ(control("lblTip").wordWrap, false);
    EXPECT_EQ(control("lblTip").alignment, Alignment::Left);

    EXPECT_EQ(control("Timer1").interval, 300);
    EXPECT_TRUE(control("Timer1").enabled);

    const SerialDefaults &comm = control("comm").serial;
    EXPECT_EQ(comm.port, 1);
    EXPECT_EQ(comm.settings, "9600,n,8,1");
    EXPECT_EQ(comm.baudRate, 9600);
    EXPECT_EQ(comm.parity, QLatin1Char('n'));
    EXPECT_EQ(comm.dataBits, 8);
    EXPECT_EQ(comm.stopBits, 1);

    EXPECT_EQ(control("Scriptlet1").url, "file://c:\\windows\\rr.htm");
    EXPECT_FALSE(control("imgTitle").stretch);
}

TEST(MainWindowLayout, ButtonStoredSettings)
{
    const QSet<QString> twoState = {"Power", "btnRcd", "btnMdm"};
    for (const char *name : kButtons) {
        SCOPED_TRACE(name);
        const ControlLayout &b = control(name);
        ASSERT_EQ(b.kind, ControlKind::PictureButton);

        // The host's extents give back the placed size.
        const StoredSetting *x = b.storedSetting("_ExtentX");
        const StoredSetting *y = b.storedSetting("_EXTENTY");
        ASSERT_TRUE(x && y);
        EXPECT_EQ(QSize(himetricToPixels(x->integer), himetricToPixels(y->integer)), b.geometry->size());

        const StoredSetting *font = b.storedSetting("font");
        ASSERT_TRUE(font);
        ASSERT_EQ(font->type, StoredSetting::Type::Font);
        EXPECT_EQ(font->font.family, "MS Sans Serif");
        EXPECT_DOUBLE_EQ(font->font.pointSize, 8.25);
        EXPECT_EQ(font->font.weight, 400);

        // Everything else stays at the button's defaults, so it is not stored.
        QSet<QString> names;
        for (const StoredSetting &s : b.stored)
            names.insert(s.name.toLower());
        QSet<QString> expected = {"_extentx", "_extenty", "font", "uppicture", "downpicture"};
        if (QLatin1String(name) != QLatin1String("btn5"))
            expected.insert("disablepicture");
        if (twoState.contains(name))
            expected.insert("style");
        EXPECT_EQ(names, expected);
        if (twoState.contains(name)) {
            EXPECT_EQ(b.storedSetting("Style")->integer, 1);
        }
    }
}

TEST(SkinPictures, SizesAndDepth)
{
    struct Size { const char *name; QSize size; };
    const Size faces[] = {{"Power", {42, 53}}, {"btnRcd", {44, 48}}, {"btnMdm", {42, 45}},
                          {"btnClose", {44, 53}}, {"btn5", {29, 26}}, {"brPrev", {42, 45}},
                          {"brNext", {42, 45}}, {"brToday", {42, 45}}};
    for (const Size &face : faces) {
        SCOPED_TRACE(face.name);
        const ControlLayout &b = control(face.name);
        for (const char *key : {"UpPicture", "DownPicture", "DisablePicture"}) {
            const StoredSetting *s = b.storedSetting(key);
            if (!s)
                continue;
            const QImage image = picture(s->picture);
            EXPECT_EQ(image.size(), face.size) << key;
            EXPECT_EQ(image.depth(), 32) << key;
            // The face is never smaller than the button that shows it.
            EXPECT_TRUE(QRect(QPoint(), image.size()).contains(QRect(QPoint(), b.geometry->size())));
        }
    }

    const Size whole[] = {{":/skin/background.png", {510, 412}}, {":/skin/title.png", {233, 30}},
                          {":/skin/splash.png", {340, 298}}, {":/skin/blocked.png", {16, 16}}};
    for (const Size &p : whole) {
        const QImage image = picture(QLatin1String(p.name));
        EXPECT_EQ(image.size(), p.size) << p.name;
        EXPECT_EQ(image.depth(), 32) << p.name;
    }
    EXPECT_EQ(picture(control("imgTitle").picture).size(), control("imgTitle").geometry->size());
    // A call-list line's mark lets the line's colour, selected or not, show around it.
    EXPECT_EQ(qAlpha(picture(QStringLiteral(":/skin/blocked.png")).pixel(0, 0)), 0);
}

TEST(SkinPictures, SmallPaletteImages)
{
    for (const QString &path : {QStringLiteral(":/skin/icon.png"), QStringLiteral(RINGVANE_POINTER_FILE)}) {
        SCOPED_TRACE(path.toStdString());
        const QImage image = picture(path);
        EXPECT_EQ(image.size(), QSize(32, 32));
        EXPECT_EQ(image.format(), QImage::Format_Indexed8);
        EXPECT_LE(image.colorCount(), 16);
        EXPECT_EQ(qAlpha(image.pixel(0, 31)), 0) << "a corner shows the desktop through";
        QSet<QRgb> used;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                used.insert(image.pixel(x, y));
        EXPECT_GE(used.size(), 3);
    }
}

// Buttons must blend into the face: what a button shows around its ball is what the
// window shows there without it.
TEST(SkinPictures, ButtonsBlendIntoTheFace)
{
    const QImage background = picture(mainWindow().picture);
    for (const char *name : kButtons) {
        SCOPED_TRACE(name);
        const ControlLayout &b = control(name);
        const QImage up = picture(b.storedSetting("UpPicture")->picture);
        const QImage down = picture(b.storedSetting("DownPicture")->picture);
        const QRect visible(QPoint(), b.geometry->size());
        for (const QPoint corner : {visible.topLeft(), visible.topRight(), visible.bottomLeft(), visible.bottomRight()}) {
            EXPECT_EQ(up.pixel(corner), kFace);
            EXPECT_EQ(down.pixel(corner), kFace);
            EXPECT_EQ(background.pixel(b.geometry->topLeft() + corner), kFace);
        }
        if (const StoredSetting *disabled = b.storedSetting("DisablePicture")) {
            EXPECT_EQ(picture(disabled->picture), up);
        }
        if (QLatin1String(name) == QLatin1String("btn5")) {
            EXPECT_EQ(down, up);
        } else {
            EXPECT_NE(down, up) << "the symbol lights up when pressed";
        }
    }

    // The flat face between band and groove, and the darker groove under the tip line.
    for (const QPoint at : {QPoint(10, 120), QPoint(490, 250), QPoint(250, 385), QPoint(100, 340)})
        EXPECT_EQ(background.pixel(at), kFace) << at.x() << "," << at.y();
    const QRect tip = *control("lblTip").geometry;
    EXPECT_LT(qGray(background.pixel(tip.center())), qGray(kFace));
    EXPECT_LT(qGray(background.pixel(20, 20)), qGray(kFace)) << "the top band is darker";
}

TEST(SplashLayout, WindowSettings)
{
    const WindowLayout start = loadOrDie(QStringLiteral(":/layout/start.json"));
    EXPECT_EQ(start.name, "start");
    EXPECT_EQ(start.caption, "Form2");
    EXPECT_EQ(start.clientSize, QSize(338, 295));
    EXPECT_FALSE(start.border || start.showInTaskbar);
    EXPECT_TRUE(start.centred);
    EXPECT_TRUE(start.icon.isEmpty());
    EXPECT_TRUE(start.controls.isEmpty());
    EXPECT_EQ(picture(start.picture).size(), QSize(340, 298));
}

// Each case spoils the real description in one way; the parser must refuse the whole of
// it and say why.
TEST(LayoutParser, RejectsMalformedDescriptions)
{
    initResources();
    const QJsonObject good = QJsonDocument::fromJson(resource(":/layout/frmMain.json")).object();
    ASSERT_FALSE(good.isEmpty());

    using Edit = std::function<void(QJsonObject &root)>;
    auto editControl = [](int index, std::function<void(QJsonObject &)> change) {
        return [index, change](QJsonObject &root) {
            QJsonArray controls = root["controls"].toArray();
            QJsonObject c = controls[index].toObject();
            change(c);
            controls[index] = c;
            root["controls"] = controls;
        };
    };
    struct Case { const char *what; Edit edit; const char *mentions; };
    const Case cases[] = {
        {"position not a whole pixel", editControl(3, [](QJsonObject &c) { c["left"] = 527; }), "Power"},
        {"size missing", editControl(2, [](QJsonObject &c) { c.remove("height"); }), "brDay"},
        {"negative size", editControl(2, [](QJsonObject &c) { c["width"] = -15; }), "brDay"},
        {"unknown kind", editControl(0, [](QJsonObject &c) { c["kind"] = "Browser"; }), "Scriptlet1"},
        {"misspelt setting", editControl(1, [](QJsonObject &c) { c["wordwrap"] = true; }), "wordwrap"},
        {"bad colour", editControl(1, [](QJsonObject &c) { c["foreColor"] = "0x01000000"; }), "RcvText"},
        {"font without size", editControl(1, [](QJsonObject &c) {
             QJsonObject f = c["font"].toObject(); f.remove("size"); c["font"] = f; }), "RcvText"},
        {"duplicate name", editControl(2, [](QJsonObject &c) { c["name"] = "RcvText"; }), "RcvText"},
        {"duplicate tab index", editControl(2, [](QJsonObject &c) { c["tabIndex"] = 0; }), "tab"},
        {"extent disagrees with size", editControl(3, [](QJsonObject &c) {
             QJsonArray p = c["properties"].toArray(); p[0] = QJsonArray{"_extentx", 1200};
             c["properties"] = p; }), "_extentx"},
        {"stored property unknown", editControl(3, [](QJsonObject &c) {
             QJsonArray p = c["properties"].toArray(); p.append(QJsonArray{"Caption", "x"});
             c["properties"] = p; }), "Caption"},
        {"picture not named", editControl(3, [](QJsonObject &c) {
             QJsonArray p = c["properties"].toArray(); p[3] = QJsonArray{"UpPicture", 5};
             c["properties"] = p; }), "UpPicture"},
        {"bad line settings", editControl(6, [](QJsonObject &c) { c["settings"] = "9600,x,8,1"; }), "comm"},
        // Settings the window has no use for are not read, so they reject the file.
        {"a buffer size for the port", editControl(6, [](QJsonObject &c) { c["inBufferSize"] = 1024; }), "inBufferSize"},
        {"the port open at load", editControl(6, [](QJsonObject &c) { c["portOpen"] = false; }), "portOpen"},
        {"a length limit", editControl(2, [](QJsonObject &c) { c["maxLength"] = 0; }), "maxLength"},
        {"a text box's line mode", editControl(1, [](QJsonObject &c) { c["multiLine"] = true; }), "multiLine"},
        {"a sorted chooser", editControl(5, [](QJsonObject &c) { c["sorted"] = true; }), "sorted"},
        {"a chooser that lists as it is typed in", editControl(5, [](QJsonObject &c) { c["style"] = "simpleCombo"; }),
         "simpleCombo"},
        {"list columns", editControl(14, [](QJsonObject &c) { c["columns"] = 1; }), "columns"},
        {"a label that sizes itself", editControl(15, [](QJsonObject &c) { c["autoSize"] = false; }), "autoSize"},
        {"a list's text", editControl(14, [](QJsonObject &c) { c["text"] = ""; }), "text"},
        {"the window's text colour", [](QJsonObject &root) {
             QJsonObject w = root["window"].toObject(); w["foreColor"] = "0x00FFFFFF"; root["window"] = w; }, "foreColor"},
        {"client size not whole pixels", [](QJsonObject &root) {
             QJsonObject w = root["window"].toObject(); w["clientWidth"] = 7636; root["window"] = w; }, "clientWidth"},
        {"controls not a list", [](QJsonObject &root) { root["controls"] = 3; }, "controls"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QJsonObject root = good;
        c.edit(root);
        const QString error = parse(QJsonDocument(root).toJson()).errorString();
        EXPECT_TRUE(error.contains(QLatin1String(c.mentions))) << error.toStdString();
    }

    const QByteArray text = resource(":/layout/frmMain.json");
    const Result<WindowLayout> cut = parse(text.left(text.size() / 2));
    EXPECT_FALSE(cut.ok());
    EXPECT_FALSE(cut.errorString().isEmpty());
    EXPECT_FALSE(parse("[]").ok());

    // The unspoilt description still reads, so the cases above fail for their own reason.
    const Result<WindowLayout> unspoilt = parse(QJsonDocument(good).toJson());
    EXPECT_TRUE(unspoilt.ok()) << unspoilt.errorString().toStdString();
}

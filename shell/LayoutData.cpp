#include "shell/LayoutData.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <limits>

// Outside any namespace, as the resource initialisers require.
static void initLayoutResources()
{
    Q_INIT_RESOURCE(layout);
}

namespace layoutdata {

namespace {

struct Malformed
{
    QString message;
};

[[noreturn]] void fail(const QString &where, const QString &what)
{
    throw Malformed{where.isEmpty() ? what : where + QStringLiteral(": ") + what};
}

// Reads the members of one JSON object and refuses names it was not asked about, so a
// misspelt setting is an error rather than a silently ignored default.
class Fields
{
public:
    Fields(const QJsonObject &object, QString where) : m_object(object), m_where(std::move(where)) {}

    const QString &where() const { return m_where; }
    bool has(const QString &key)
    {
        m_known.insert(key);
        return m_object.contains(key);
    }

    QJsonValue value(const QString &key)
    {
        if (!has(key))
            fail(m_where, QStringLiteral("\"%1\" is missing").arg(key));
        return m_object.value(key);
    }

    QString string(const QString &key)
    {
        const QJsonValue v = value(key);
        if (!v.isString())
            fail(m_where, QStringLiteral("\"%1\" must be a text").arg(key));
        return v.toString();
    }
    QString string(const QString &key, const QString &fallback) { return has(key) ? string(key) : fallback; }

    bool boolean(const QString &key)
    {
        const QJsonValue v = value(key);
        if (!v.isBool())
            fail(m_where, QStringLiteral("\"%1\" must be true or false").arg(key));
        return v.toBool();
    }
    bool boolean(const QString &key, bool fallback) { return has(key) ? boolean(key) : fallback; }

    qint64 integer(const QString &key, qint64 min, qint64 max)
    {
        return toInteger(value(key), QStringLiteral("\"%1\"").arg(key), min, max);
    }
    qint64 integer(const QString &key, qint64 min, qint64 max, qint64 fallback)
    {
        return has(key) ? integer(key, min, max) : fallback;
    }

    double number(const QString &key, double min, double max)
    {
        const QJsonValue v = value(key);
        if (!v.isDouble() || v.toDouble() < min || v.toDouble() > max)
            fail(m_where, QStringLiteral("\"%1\" must be a number from %2 to %3").arg(key).arg(min).arg(max));
        return v.toDouble();
    }

    quint32 colour(const QString &key);

    template <typename Enum>
    Enum choice(const QString &key, std::initializer_list<std::pair<const char *, Enum>> names, Enum fallback)
    {
        if (!has(key))
            return fallback;
        const QString text = string(key);
        for (const auto &[name, e] : names) {
            if (text == QLatin1String(name))
                return e;
        }
        fail(m_where, QStringLiteral("\"%1\" has no setting \"%2\"").arg(key, text));
    }

    // Call after reading: refuses whatever was not read.
    void done() const
    {
        for (auto it = m_object.begin(); it != m_object.end(); ++it) {
            if (!m_known.contains(it.key()))
                fail(m_where, QStringLiteral("unknown setting \"%1\"").arg(it.key()));
        }
    }

    qint64 toInteger(const QJsonValue &v, const QString &what, qint64 min, qint64 max) const
    {
        const double d = v.toDouble(std::numeric_limits<double>::quiet_NaN());
        if (!v.isDouble() || d != std::floor(d) || d < double(min) || d > double(max))
            fail(m_where, QStringLiteral("%1 must be a whole number from %2 to %3").arg(what).arg(min).arg(max));
        return qint64(d);
    }

private:
    QJsonObject m_object;
    QString m_where;
    QSet<QString> m_known;
};

quint32 Fields::colour(const QString &key)
{
    const QJsonValue v = value(key);
    bool ok = false;
    qint64 number = -1;
    if (v.isString()) {
        const QString text = v.toString();
        if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) && text.size() <= 10)
            number = text.mid(2).toLongLong(&ok, 16);
    } else if (v.isDouble() && v.toDouble() == std::floor(v.toDouble())) {
        number = qint64(v.toDouble());
        ok = true;
    }
    // An RGB value, or one of the system colours.
    const bool valid = ok && ((number >= 0 && number <= 0xFFFFFF)
                              || (number >= 0x80000000LL && number <= 0x800000FFLL));
    if (!valid)
        fail(m_where, QStringLiteral("\"%1\" is not a colour (0x00BBGGRR or 0x80000000 plus a system colour)").arg(key));
    return quint32(number);
}

int toPixels(Fields &f, const QString &key, int min)
{
    const qint64 twips = f.integer(key, 0, 1000000);
    if (twips % kTwipsPerPixel != 0)
        fail(f.where(), QStringLiteral("\"%1\" of %2 twips is not a whole number of pixels").arg(key).arg(twips));
    const int pixels = int(twips / kTwipsPerPixel);
    if (pixels < min)
        fail(f.where(), QStringLiteral("\"%1\" must be at least %2 pixels").arg(key).arg(min));
    return pixels;
}

FontSpec readFont(const QJsonValue &value, const QString &where)
{
    if (!value.isObject())
        fail(where, QStringLiteral("a font must be an object"));
    Fields f(value.toObject(), where + QStringLiteral(" font"));
    FontSpec font;
    font.family = f.string(QStringLiteral("name"));
    if (font.family.isEmpty())
        fail(f.where(), QStringLiteral("the font has no name"));
    font.pointSize = f.number(QStringLiteral("size"), 1, 2160);
    font.weight = int(f.integer(QStringLiteral("weight"), 1, 1000, 400));
    font.charset = int(f.integer(QStringLiteral("charset"), 0, 255, 0));
    font.italic = f.boolean(QStringLiteral("italic"), false);
    font.underline = f.boolean(QStringLiteral("underline"), false);
    font.strikeOut = f.boolean(QStringLiteral("strikethrough"), false);
    f.done();
    return font;
}

// The button's own property names and the kind of value each holds; the host adds the
// two extents.
std::optional<StoredSetting::Type> storedType(const QString &name)
{
    using T = StoredSetting::Type;
    static const QList<std::pair<QString, T>> known = {
        {QStringLiteral("_extentx"), T::Integer},       {QStringLiteral("_extenty"), T::Integer},
        {QStringLiteral("BackColor"), T::Integer},      {QStringLiteral("ForeColor"), T::Integer},
        {QStringLiteral("Enabled"), T::Boolean},        {QStringLiteral("Font"), T::Font},
        {QStringLiteral("BackStyle"), T::Integer},      {QStringLiteral("BorderStyle"), T::Integer},
        {QStringLiteral("UpPicture"), T::Picture},      {QStringLiteral("DownPicture"), T::Picture},
        {QStringLiteral("DisablePicture"), T::Picture}, {QStringLiteral("Style"), T::Integer},
        {QStringLiteral("Value"), T::Integer}};
    for (const auto &[key, type] : known) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return type;
    }
    return std::nullopt;
}

QList<StoredSetting> readStored(Fields &f)
{
    const QJsonValue value = f.value(QStringLiteral("properties"));
    if (!value.isArray())
        fail(f.where(), QStringLiteral("\"properties\" must be a list of [name, value] pairs"));
    QList<StoredSetting> list;
    QSet<QString> seen;
    for (const QJsonValue &entry : value.toArray()) {
        const QJsonArray pair = entry.toArray();
        if (!entry.isArray() || pair.size() != 2 || !pair.at(0).isString())
            fail(f.where(), QStringLiteral("each stored property must be a [name, value] pair"));
        StoredSetting s;
        s.name = pair.at(0).toString();
        const QString where = f.where() + QStringLiteral(" property \"%1\"").arg(s.name);
        if (seen.contains(s.name.toLower()))
            fail(where, QStringLiteral("stored twice"));
        seen.insert(s.name.toLower());
        const std::optional<StoredSetting::Type> type = storedType(s.name);
        if (!type)
            fail(where, QStringLiteral("not a property of the picture button"));
        s.type = *type;
        const QJsonValue v = pair.at(1);
        switch (s.type) {
        case StoredSetting::Type::Integer:
            s.integer = qint32(f.toInteger(v, where, std::numeric_limits<qint32>::min(),
                                           std::numeric_limits<qint32>::max()));
            break;
        case StoredSetting::Type::Boolean:
            if (!v.isBool())
                fail(where, QStringLiteral("must be true or false"));
            s.boolean = v.toBool();
            break;
        case StoredSetting::Type::Font:
            s.font = readFont(v, where);
            break;
        case StoredSetting::Type::Picture:
            if (!v.isString() || v.toString().isEmpty())
                fail(where, QStringLiteral("must name a picture"));
            s.picture = v.toString();
            break;
        }
        list.append(s);
    }
    return list;
}

const StoredSetting *findStored(const QList<StoredSetting> &list, const QString &name)
{
    for (const StoredSetting &s : list) {
        if (s.name.compare(name, Qt::CaseInsensitive) == 0)
            return &s;
    }
    return nullptr;
}

void readPictureButton(Fields &f, ControlLayout &c)
{
    c.stored = readStored(f);
    // The host's extents and the placed size are two records of one size.
    const std::pair<const char *, int> extents[] = {{"_extentx", c.geometry->width()},
                                                    {"_extenty", c.geometry->height()}};
    for (const auto &[key, pixels] : extents) {
        const StoredSetting *s = findStored(c.stored, QLatin1String(key));
        if (!s)
            fail(f.where(), QStringLiteral("the stored settings lack \"%1\"").arg(QLatin1String(key)));
        if (himetricToPixels(s->integer) != pixels)
            fail(f.where(), QStringLiteral("\"%1\" of %2 does not give the button's %3 pixels")
                                .arg(QLatin1String(key)).arg(s->integer).arg(pixels));
    }
}

void readSerial(Fields &f, SerialDefaults &serial)
{
    serial.port = int(f.integer(QStringLiteral("commPort"), 1, 16));
    // "baud,parity,data,stop", as the serial component keeps its line settings.
    const QString settings = f.string(QStringLiteral("settings"));
    const QStringList parts = settings.split(QLatin1Char(','));
    bool baudOk = false, dataOk = false, stopOk = false;
    if (parts.size() == 4) {
        serial.baudRate = parts[0].toInt(&baudOk);
        serial.parity = parts[1].size() == 1 ? parts[1].at(0).toLower() : QChar();
        serial.dataBits = parts[2].toInt(&dataOk);
        serial.stopBits = parts[3].toDouble(&stopOk);
    }
    if (!baudOk || !dataOk || !stopOk || serial.baudRate <= 0
        || !QStringLiteral("neoms").contains(serial.parity) || serial.dataBits < 4 || serial.dataBits > 8
        || (serial.stopBits != 1 && serial.stopBits != 1.5 && serial.stopBits != 2))
        fail(f.where(), QStringLiteral("\"settings\" must read like \"9600,n,8,1\", not \"%1\"").arg(settings));
    serial.settings = settings;
}

// Font and colours; the text and the alignment only for the kinds that show them.
void readTextSettings(Fields &f, ControlLayout &c, bool withText, bool withAlignment)
{
    if (withText)
        c.text = f.string(QStringLiteral("text"), QString());
    if (f.has(QStringLiteral("font")))
        c.font = readFont(f.value(QStringLiteral("font")), f.where());
    if (f.has(QStringLiteral("foreColor")))
        c.foreColor = f.colour(QStringLiteral("foreColor"));
    if (f.has(QStringLiteral("backColor")))
        c.backColor = f.colour(QStringLiteral("backColor"));
    if (withAlignment)
        c.alignment = f.choice(QStringLiteral("alignment"),
                               {{"left", Alignment::Left}, {"right", Alignment::Right}, {"center", Alignment::Center}},
                               Alignment::Left);
}

std::optional<bool> optionalBoolean(Fields &f, const QString &key)
{
    return f.has(key) ? std::optional<bool>(f.boolean(key)) : std::nullopt;
}

ControlLayout readControl(const QJsonValue &value, int index)
{
    if (!value.isObject())
        fail(QStringLiteral("control %1").arg(index), QStringLiteral("must be an object"));
    const QJsonObject object = value.toObject();
    const QString name = object.value(QStringLiteral("name")).toString();
    Fields f(object, name.isEmpty() ? QStringLiteral("control %1").arg(index)
                                    : QStringLiteral("control \"%1\"").arg(name));
    ControlLayout c;
    c.name = f.string(QStringLiteral("name"));
    c.kind = f.choice(QStringLiteral("kind"),
                      {{"HtmlView", ControlKind::HtmlView}, {"TextBox", ControlKind::TextBox},
                       {"PictureButton", ControlKind::PictureButton}, {"Timer", ControlKind::Timer},
                       {"ComboBox", ControlKind::ComboBox}, {"SerialPort", ControlKind::SerialPort},
                       {"ListBox", ControlKind::ListBox}, {"Label", ControlKind::Label},
                       {"Image", ControlKind::Image}},
                      ControlKind(-1));
    if (c.kind == ControlKind(-1))
        fail(f.where(), QStringLiteral("\"kind\" is missing"));

    const bool invisibleKind = c.kind == ControlKind::Timer || c.kind == ControlKind::SerialPort;
    if (!invisibleKind) {
        const int left = toPixels(f, QStringLiteral("left"), 0);
        const int top = toPixels(f, QStringLiteral("top"), 0);
        const int width = toPixels(f, QStringLiteral("width"), 1);
        const int height = toPixels(f, QStringLiteral("height"), 1);
        c.geometry = QRect(left, top, width, height);
        c.visible = f.boolean(QStringLiteral("visible"), true);
        c.tip = f.string(QStringLiteral("tip"), QString());
    }
    if (c.kind != ControlKind::Image && !invisibleKind)
        c.tabIndex = int(f.integer(QStringLiteral("tabIndex"), 0, 1000));

    switch (c.kind) {
    case ControlKind::HtmlView:
        c.url = f.string(QStringLiteral("url"));
        break;
    case ControlKind::TextBox:
        readTextSettings(f, c, true, true);
        c.wordWrap = optionalBoolean(f, QStringLiteral("wordWrap"));
        if (f.has(QStringLiteral("scrollBars")))
            c.scrollBars = f.choice(QStringLiteral("scrollBars"),
                                    {{"none", ScrollBars::None}, {"horizontal", ScrollBars::Horizontal},
                                     {"vertical", ScrollBars::Vertical}, {"both", ScrollBars::Both}},
                                    ScrollBars::None);
        c.locked = optionalBoolean(f, QStringLiteral("locked"));
        break;
    case ControlKind::ComboBox:
        readTextSettings(f, c, false, false);
        c.comboStyle = f.choice(QStringLiteral("style"),
                                {{"dropDownCombo", ComboStyle::DropDownCombo},
                                 {"dropDownList", ComboStyle::DropDownList}},
                                ComboStyle::DropDownCombo);
        break;
    case ControlKind::ListBox:
        readTextSettings(f, c, false, false);
        c.multiSelect = f.boolean(QStringLiteral("multiSelect"), false);
        c.sorted = f.boolean(QStringLiteral("sorted"), false);
        break;
    case ControlKind::Label:
        readTextSettings(f, c, true, true);
        c.wordWrap = f.boolean(QStringLiteral("wordWrap"), false);
        break;
    case ControlKind::Image:
        c.picture = f.string(QStringLiteral("picture"));
        c.stretch = f.boolean(QStringLiteral("stretch"), false);
        break;
    case ControlKind::Timer:
        c.interval = int(f.integer(QStringLiteral("interval"), 0, 65535));
        c.enabled = f.boolean(QStringLiteral("enabled"), true);
        break;
    case ControlKind::SerialPort:
        readSerial(f, c.serial);
        break;
    case ControlKind::PictureButton:
        readPictureButton(f, c);
        break;
    }
    f.done();
    return c;
}

WindowLayout readWindow(const QJsonObject &root)
{
    Fields top(root, QString());
    const QJsonValue windowValue = top.value(QStringLiteral("window"));
    const QJsonValue controlsValue = top.value(QStringLiteral("controls"));
    top.done();
    if (!windowValue.isObject())
        fail(QString(), QStringLiteral("\"window\" must be an object"));
    if (!controlsValue.isArray())
        fail(QString(), QStringLiteral("\"controls\" must be a list"));

    Fields f(windowValue.toObject(), QStringLiteral("window"));
    WindowLayout w;
    w.name = f.string(QStringLiteral("name"));
    w.caption = f.string(QStringLiteral("caption"), QString());
    const int width = toPixels(f, QStringLiteral("clientWidth"), 1);
    const int height = toPixels(f, QStringLiteral("clientHeight"), 1);
    w.clientSize = QSize(width, height);
    w.border = f.boolean(QStringLiteral("border"), true);
    w.showInTaskbar = f.boolean(QStringLiteral("showInTaskbar"), true);
    w.centred = f.choice(QStringLiteral("startUpPosition"),
                         {{"manual", false}, {"centerScreen", true}}, false);
    w.picture = f.string(QStringLiteral("picture"), QString());
    w.icon = f.string(QStringLiteral("icon"), QString());
    if (f.has(QStringLiteral("backColor")))
        w.backColor = f.colour(QStringLiteral("backColor"));
    f.done();

    QSet<QString> names;
    QSet<int> tabIndexes;
    const QJsonArray controls = controlsValue.toArray();
    for (int i = 0; i < controls.size(); ++i) {
        ControlLayout c = readControl(controls.at(i), i);
        const QString where = QStringLiteral("control \"%1\"").arg(c.name);
        if (c.name.isEmpty())
            fail(QStringLiteral("control %1").arg(i), QStringLiteral("has no name"));
        if (names.contains(c.name.toLower()))
            fail(where, QStringLiteral("the name is used twice"));
        names.insert(c.name.toLower());
        if (c.tabIndex >= 0) {
            if (tabIndexes.contains(c.tabIndex))
                fail(where, QStringLiteral("tab index %1 is used twice").arg(c.tabIndex));
            tabIndexes.insert(c.tabIndex);
        }
        w.controls.append(std::move(c));
    }
    for (int i = 0; i < tabIndexes.size(); ++i) {
        if (!tabIndexes.contains(i))
            fail(QString(), QStringLiteral("the tab order has a gap at %1").arg(i));
    }
    return w;
}

} // namespace

const StoredSetting *ControlLayout::storedSetting(const QString &name) const
{
    return findStored(stored, name);
}

const ControlLayout *WindowLayout::control(const QString &name) const
{
    for (const ControlLayout &c : controls) {
        if (c.name == name)
            return &c;
    }
    return nullptr;
}

QStringList WindowLayout::tabOrder() const
{
    QList<const ControlLayout *> ordered;
    for (const ControlLayout &c : controls) {
        if (c.tabIndex >= 0)
            ordered.append(&c);
    }
    std::sort(ordered.begin(), ordered.end(),
              [](const ControlLayout *a, const ControlLayout *b) { return a->tabIndex < b->tabIndex; });
    QStringList names;
    for (const ControlLayout *c : ordered)
        names.append(c->name);
    return names;
}

Result<WindowLayout> parse(const QByteArray &description)
{
    QJsonParseError jsonError;
    const QJsonDocument document = QJsonDocument::fromJson(description, &jsonError);
    try {
        if (jsonError.error != QJsonParseError::NoError)
            fail(QString(), QStringLiteral("not a layout description: %1 at offset %2")
                                .arg(jsonError.errorString()).arg(jsonError.offset));
        if (!document.isObject())
            fail(QString(), QStringLiteral("not a layout description: the top is not an object"));
        return readWindow(document.object());
    } catch (const Malformed &malformed) {
        return Failure(0, malformed.message);
    }
}

Result<WindowLayout> load(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return Failure(ErrorNumber::FileNotFound,
                       QStringLiteral("%1: %2").arg(fileName, file.errorString()));
    Result<WindowLayout> layout = parse(file.readAll());
    if (!layout)
        return Failure(0, fileName + QStringLiteral(": ") + layout.errorString());
    return layout;
}

int himetricToPixels(int himetric)
{
    return int(std::lround(himetric * 96.0 / 2540.0));
}

void initResources()
{
    initLayoutResources();
}

} // namespace layoutdata

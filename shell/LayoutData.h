#pragma once

#include "failure/Result.h"

#include <optional>

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>


// The windows' layouts are data (":/layout/<window>.json") rather than code, so the skin
// can be changed without touching the window classes. This reads one description into
// plain values; building widgets from them is the window's business.
namespace layoutdata {

constexpr int kTwipsPerPixel = 15;

struct FontSpec
{
    QString family;
    double pointSize = 0;
    int weight = 400;
    int charset = 0;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

enum class ControlKind { HtmlView, TextBox, PictureButton, Timer, ComboBox, SerialPort, ListBox, Label, Image };
enum class Alignment { Left, Right, Center };
enum class ScrollBars { None, Horizontal, Vertical, Both };
enum class ComboStyle { DropDownCombo, DropDownList };

// One named value of a picture button's stored settings, as its read-properties
// operation expects to find it.
struct StoredSetting
{
    enum class Type { Integer, Boolean, Font, Picture };

    QString name;
    Type type = Type::Integer;
    qint32 integer = 0;
    bool boolean = false;
    FontSpec font;
    QString picture; // resource path of the picture
};

// The serial component's settings at load; the buffers are the component's own business.
struct SerialDefaults
{
    int port = 1;
    QString settings = QStringLiteral("9600,n,8,1"); // as written: "baud,parity,data,stop"
    int baudRate = 9600;
    QChar parity = QLatin1Char('n');
    int dataBits = 8;
    double stopBits = 1;
};

struct ControlLayout
{
    ControlKind kind = ControlKind::Label;
    QString name;
    std::optional<QRect> geometry; // pixels; none for the controls without a visible part
    bool visible = true;
    int tabIndex = -1; // -1: not in the tab order
    QString text;
    QString tip;
    std::optional<FontSpec> font;
    std::optional<quint32> foreColor; // 0x00BBGGRR or 0x80000000 + system colour
    std::optional<quint32> backColor;

    // Text box, list box, combo box and label. A setting left out of the description keeps
    // the control's own behaviour where the control has one (optional members).
    Alignment alignment = Alignment::Left;
    std::optional<bool> wordWrap;
    std::optional<ScrollBars> scrollBars;
    std::optional<bool> locked;
    ComboStyle comboStyle = ComboStyle::DropDownCombo;
    bool sorted = false;
    bool multiSelect = false;

    // Timer.
    int interval = 0;
    bool enabled = true;

    SerialDefaults serial;

    // Image and help view.
    QString picture;
    bool stretch = false;
    QString url;

    // Picture button: its stored settings in stored order.
    QList<StoredSetting> stored;
    // Names compare without regard to case, as the button's store does.
    const StoredSetting *storedSetting(const QString &name) const;
};

struct WindowLayout
{
    QString name;
    QString caption;
    QSize clientSize; // pixels
    bool border = true;
    bool showInTaskbar = true;
    bool centred = false;
    QString picture;
    QString icon; // empty: no icon
    quint32 backColor = 0x80000005; // shows where the picture does not reach

    QList<ControlLayout> controls; // stacking order, top-most first

    const ControlLayout *control(const QString &name) const;
    // Names by tab index, lowest first.
    QStringList tabOrder() const;
};

// Reads a description. Anything malformed rejects the whole description: the failure says
// what and where.
Result<WindowLayout> parse(const QByteArray &description);
Result<WindowLayout> load(const QString &fileName);

// Size kept by a picture button's host, in hundredths of a millimetre at 96 dpi.
int himetricToPixels(int himetric);

// Registers the skin and layout resources; needed once, because they live in a static
// library that nothing else references.
void initResources();

} // namespace layoutdata

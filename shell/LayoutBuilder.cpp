#include "shell/LayoutBuilder.h"

#include "platform/Comm.h"
#include "picturebutton/PictureStore.h"
#include "shell/TipLine.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTextDocument>
#include <QTimer>
#include <QWidget>

void registerSkinPictures(); // generated from skin/*.png

namespace layoutbuilder {

QFont fontFrom(const layoutdata::FontSpec &face)
{
    QFont font;
    QStringList families{face.family};
    if (face.charset == 134)
        families << QStringLiteral("SimSun") << QStringLiteral("WenQuanYi Zen Hei")
                 << QStringLiteral("Noto Sans CJK SC");
    families << QStringLiteral("DejaVu Sans") << QStringLiteral("Sans Serif");
    font.setFamilies(families);
    font.setPointSizeF(face.pointSize);
    font.setWeight(face.weight >= 700 ? QFont::Bold : QFont::Normal);
    font.setItalic(face.italic);
    font.setUnderline(face.underline);
    font.setStrikeOut(face.strikeOut);
    return font;
}

namespace {

// The layout files are data that lupdate does not read: their tips are named here for it,
// and translated as they are applied.
[[maybe_unused]] const char *const kLayoutTips[] = {
    QT_TRANSLATE_NOOP("Layout", "Help of Ringvane"),
    QT_TRANSLATE_NOOP("Layout", " Search the history record by select a day"),
    QT_TRANSLATE_NOOP("Layout", "Initiate Ringvane"),
    QT_TRANSLATE_NOOP("Layout", "Select your modem"),
    QT_TRANSLATE_NOOP("Layout", "history of the last day"),
    QT_TRANSLATE_NOOP("Layout", "history of the next day"),
    QT_TRANSLATE_NOOP("Layout", "Exit from Ringvane"),
    QT_TRANSLATE_NOOP("Layout", "the record of today"),
    QT_TRANSLATE_NOOP("Layout", "Minimize the Monitor"),
    QT_TRANSLATE_NOOP("Layout", "Incoming call history record"),
    QT_TRANSLATE_NOOP("Layout", "Solve problem"),
};

Qt::Alignment horizontal(layoutdata::Alignment alignment)
{
    switch (alignment) {
    case layoutdata::Alignment::Right:
        return Qt::AlignRight;
    case layoutdata::Alignment::Center:
        return Qt::AlignHCenter;
    case layoutdata::Alignment::Left:
        break;
    }
    return Qt::AlignLeft;
}

} // namespace

void applyWindow(QWidget *window, const layoutdata::WindowLayout &layout)
{
    window->setObjectName(layout.name);
    window->setWindowTitle(layout.caption);
    window->setFixedSize(layout.clientSize);
    window->setWindowFlag(Qt::FramelessWindowHint, !layout.border);
    if (!layout.icon.isEmpty())
        window->setWindowIcon(QIcon(QPixmap::fromImage(picturestore::image(layout.icon))));
}

void paintFace(QPainter &painter, const QWidget *window, const QImage &picture, quint32 backColor)
{
    const QRegion uncovered = QRegion(window->rect()) - QRect(QPoint(0, 0), picture.size());
    for (const QRect &part : uncovered)
        painter.fillRect(part, colorFromOle(backColor));
    if (!picture.isNull())
        painter.drawImage(QPoint(0, 0), picture);
}

void applyCommon(QWidget *widget, const layoutdata::ControlLayout &control)
{
    widget->setObjectName(control.name);
    if (control.geometry)
        widget->setGeometry(*control.geometry);
    if (control.font)
        widget->setFont(fontFrom(*control.font));
    if (control.foreColor || control.backColor) {
        QPalette palette = widget->palette();
        if (control.foreColor) {
            const QColor fore = colorFromOle(*control.foreColor);
            palette.setColor(QPalette::Text, fore);
            palette.setColor(QPalette::WindowText, fore);
            palette.setColor(QPalette::ButtonText, fore);
        }
        if (control.backColor) {
            const QColor back = colorFromOle(*control.backColor);
            palette.setColor(QPalette::Base, back);
        }
        widget->setPalette(palette);
    }
    if (!control.tip.isEmpty())
        widget->setToolTip(
            QCoreApplication::translate("Layout", control.tip.toUtf8().constData()));
    widget->setVisible(control.visible);
}

void applyTextBox(QLineEdit *box, const layoutdata::ControlLayout &control)
{
    if (control.wordWrap.value_or(false)
        || control.scrollBars.value_or(layoutdata::ScrollBars::None) != layoutdata::ScrollBars::None)
        throw Mismatch{control.name + QStringLiteral(" is a one-line box: it can neither wrap nor scroll")};
    box->setText(control.text);
    box->setAlignment(horizontal(control.alignment) | Qt::AlignVCenter);
    if (control.locked)
        box->setReadOnly(*control.locked);
}

void applyTextBox(QPlainTextEdit *box, const layoutdata::ControlLayout &control)
{
    if (!control.text.isEmpty())
        box->setPlainText(control.text);
    QTextOption option = box->document()->defaultTextOption();
    option.setAlignment(horizontal(control.alignment));
    box->document()->setDefaultTextOption(option);
    if (control.wordWrap)
        box->setLineWrapMode(*control.wordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    if (control.scrollBars) {
        using layoutdata::ScrollBars;
        const ScrollBars bars = *control.scrollBars;
        const auto policy = [](bool shown) { return shown ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff; };
        box->setVerticalScrollBarPolicy(policy(bars == ScrollBars::Vertical || bars == ScrollBars::Both));
        box->setHorizontalScrollBarPolicy(policy(bars == ScrollBars::Horizontal || bars == ScrollBars::Both));
    }
    if (control.locked)
        box->setReadOnly(*control.locked);
}

void applyComboBox(QComboBox *box, const layoutdata::ControlLayout &control)
{
    // A drop-down list offers its entries only; the combo also takes typed text.
    box->setEditable(control.comboStyle == layoutdata::ComboStyle::DropDownCombo);
}

void applyListBox(QListWidget *list, const layoutdata::ControlLayout &control)
{
    list->setSelectionMode(control.multiSelect ? QAbstractItemView::MultiSelection
                                               : QAbstractItemView::SingleSelection);
    list->setSortingEnabled(control.sorted);
}

void applyLabel(QLabel *label, const layoutdata::ControlLayout &control)
{
    label->setText(control.text);
    label->setAlignment(horizontal(control.alignment) | Qt::AlignVCenter);
    label->setWordWrap(control.wordWrap.value_or(false));
    // Without a back colour the label lets the window's face show through.
    if (control.backColor) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, colorFromOle(*control.backColor));
        label->setPalette(palette);
        label->setAutoFillBackground(true);
    }
}

void applyImage(QLabel *image, const layoutdata::ControlLayout &control)
{
    image->setPixmap(QPixmap::fromImage(picturestore::image(control.picture)));
    image->setScaledContents(control.stretch);
}

void applyTimer(QTimer *timer, const layoutdata::ControlLayout &control)
{
    timer->setInterval(control.interval);
    if (control.enabled)
        timer->start();
    else
        timer->stop();
}

void applySerialPort(Comm *port, const layoutdata::ControlLayout &control)
{
    if (port->CommPort() != control.serial.port)
        port->setCommPort(short(control.serial.port));
    if (port->Settings().compare(control.serial.settings, Qt::CaseInsensitive) != 0)
        port->setSettings(control.serial.settings);
}

PropertyBag storeFor(const layoutdata::ControlLayout &control)
{
    PropertyBag store;
    for (const layoutdata::StoredSetting &setting : control.stored) {
        switch (setting.type) {
        case layoutdata::StoredSetting::Type::Integer:
            store.insert(setting.name, QVariant::fromValue<qint32>(setting.integer));
            break;
        case layoutdata::StoredSetting::Type::Boolean:
            store.insert(setting.name, QVariant(setting.boolean));
            break;
        case layoutdata::StoredSetting::Type::Font:
            store.insert(setting.name, std::make_shared<Font>(fontFrom(setting.font)));
            break;
        case layoutdata::StoredSetting::Type::Picture:
            store.insert(setting.name, Picture::load(setting.picture));
            break;
        }
    }
    return store;
}

layoutdata::WindowLayout loadWindow(const QString &resource)
{
    layoutdata::initResources();
    static const bool skinReady = (registerSkinPictures(), true);
    Q_UNUSED(skinReady)
    Result<layoutdata::WindowLayout> layout = layoutdata::load(resource);
    // The layout is built into the program: a broken one is a build fault, not a user's.
    if (!layout)
        qFatal("window layout %s is broken: %s", qPrintable(resource),
               qPrintable(layout.errorString()));
    return std::move(layout).value();
}

QString localPathFor(const QString &windowsUrl)
{
    QString path = windowsUrl;
    if (path.startsWith(QLatin1String("file://"), Qt::CaseInsensitive))
        path = path.mid(7);
    if (path.size() < 2 || path.at(1) != QLatin1Char(':'))
        return {};
    const QString drive = QStringLiteral("drive_") + path.at(0).toLower();
    QString rest = path.mid(2).replace(QLatin1Char('\\'), QLatin1Char('/')).toLower();
    while (rest.startsWith(QLatin1Char('/')))
        rest.remove(0, 1);
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(dataHome).filePath(QStringLiteral("ringvane/") + drive + QLatin1Char('/') + rest);
}

} // namespace layoutbuilder

#include "LayoutBuilder.h"

#include "TipLine.h"

#include <QDir>
#include <QStandardPaths>
#include <QWidget>

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
        widget->setToolTip(control.tip);
    widget->setVisible(control.visible);
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
    QString error;
    std::optional<layoutdata::WindowLayout> layout = layoutdata::load(resource, &error);
    if (!layout)
        qFatal("window layout %s is broken: %s", qPrintable(resource), qPrintable(error));
    return *layout;
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

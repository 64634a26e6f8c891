#include "tools/skingen/IconArt.h"
#include "tools/skingen/PixelArt.h"
#include "tools/skingen/SkinArt.h"

#include <QCommandLineParser>
#include <QDir>
#include <QSaveFile>
#include <QGuiApplication>
#include <QImageWriter>

#include <cstdio>

namespace {

bool save(const QImage &image, const QString &path)
{
    QImageWriter writer(path, "png");
    if (!writer.write(image)) {
        std::fprintf(stderr, "ringvane-skingen: cannot write %s: %s\n", qPrintable(path),
                     qPrintable(writer.errorString()));
        return false;
    }
    return true;
}

bool saveText(const QByteArray &text, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size()
        || !file.commit()) {
        std::fprintf(stderr, "ringvane-skingen: cannot write %s: %s\n", qPrintable(path),
                     qPrintable(file.errorString()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    // Drawing needs fonts but no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ringvane-skingen"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Draws Ringvane's skin pictures."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("folder"),
                                 QStringLiteral("Folder that receives the skin pictures."));
    const QCommandLineOption pointer(QStringLiteral("pointer"),
        QStringLiteral("Folder for hand.png, the picture buttons' pointer (default: the skin folder)."),
        QStringLiteral("folder"));
    const QCommandLineOption mockup(QStringLiteral("mockup"),
        QStringLiteral("Also render the whole window into this file, for a look at the skin."),
        QStringLiteral("file"));
    const QCommandLineOption pressed(QStringLiteral("pressed"),
        QStringLiteral("Show every button pressed in the mock-up."));
    const QCommandLineOption icons(QStringLiteral("icons"),
        QStringLiteral("Also draw the menu icons (ringvane-<size>.png and ringvane.svg) into this folder."),
        QStringLiteral("folder"));
    parser.addOptions({pointer, mockup, pressed, icons});
    parser.process(app);

    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        parser.showHelp(2);
    const QDir skinDir(positional.first());
    const QDir pointerDir(parser.isSet(pointer) ? parser.value(pointer) : positional.first());
    const QDir iconDir(parser.isSet(icons) ? parser.value(icons) : positional.first());
    for (const QDir &dir : {skinDir, pointerDir, iconDir}) {
        if (!QDir().mkpath(dir.path())) {
            std::fprintf(stderr, "ringvane-skingen: cannot create %s\n", qPrintable(dir.path()));
            return 1;
        }
    }

    bool ok = save(pixelart::handPointer(), pointerDir.filePath(QStringLiteral("hand.png")));
    ok = save(pixelart::windowIcon(), skinDir.filePath(QStringLiteral("icon.png"))) && ok;

    const QImage base = skinart::skinBase();
    const QImage background = skinart::background(base);
    ok = save(background, skinDir.filePath(QStringLiteral("background.png"))) && ok;
    ok = save(skinart::title(background), skinDir.filePath(QStringLiteral("title.png"))) && ok;
    ok = save(skinart::splash(), skinDir.filePath(QStringLiteral("splash.png"))) && ok;
    ok = save(skinart::blockedMark(), skinDir.filePath(QStringLiteral("blocked.png"))) && ok;
    for (const skinart::ButtonArt &button : skinart::buttons()) {
        const QImage up = skinart::buttonFace(base, button, false);
        const QImage down = skinart::buttonFace(base, button, true);
        ok = save(up, skinDir.filePath(button.name + QStringLiteral("_up.png"))) && ok;
        ok = save(down, skinDir.filePath(button.name + QStringLiteral("_down.png"))) && ok;
        if (button.hasDisabledFace)
            ok = save(up, skinDir.filePath(button.name + QStringLiteral("_disabled.png"))) && ok;
    }

    if (parser.isSet(icons)) {
        // 32 pixels is the window icon itself, drawn pixel by pixel.
        for (const int size : {16, 22, 24, 48, 64, 128, 256})
            ok = save(iconart::iconAt(size), iconDir.filePath(QStringLiteral("ringvane-%1.png").arg(size))) && ok;
        ok = saveText(iconart::iconSvg(), iconDir.filePath(QStringLiteral("ringvane.svg"))) && ok;
    }

    if (parser.isSet(mockup))
        ok = save(skinart::mockup(base, background, parser.isSet(pressed)), parser.value(mockup)) && ok;
    return ok ? 0 : 1;
}

// ringvane-find-modems: looks for caller-ID modems on the serial and USB ports and
// registers each one it finds where Ringvane reads its modems.
#include "tools/findmodems/FindModems.h"
#include "platform/RegistryFile.h"
#include "translations/Translations.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    translations::installTranslations();
    QCoreApplication::setApplicationName(QStringLiteral("ringvane-find-modems"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "ringvane-find-modems",
        "Looks for caller-ID modems on the serial and USB ports and registers the ones it finds "
        "for Ringvane."));
    parser.addHelpOption();
    const QCommandLineOption device(
        QStringLiteral("device"),
        QCoreApplication::translate("ringvane-find-modems", "Probe only this device (repeatable)."),
        QStringLiteral("PATH"));
    const QCommandLineOption registryFile(
        QStringLiteral("registry"),
        QCoreApplication::translate("ringvane-find-modems",
                                    "The registry file to update (default: $RINGVANE_REGISTRY, "
                                    "else %1).")
            .arg(registry::userRegistryFilePath()),
        QStringLiteral("FILE"));
    const QCommandLineOption systemFile(
        QStringLiteral("system-registry"),
        QCoreApplication::translate(
            "ringvane-find-modems",
            "The file a new registry file starts as a copy of (default: %1).")
            .arg(registry::systemRegistryFilePath()),
        QStringLiteral("FILE"));
    const QCommandLineOption timeout(QStringLiteral("answer-timeout"),
                                     QCoreApplication::translate("ringvane-find-modems",
                                                                 "How long to wait for each answer "
                                                                 "(default 600)."),
                                     QStringLiteral("MS"));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QCoreApplication::translate("ringvane-find-modems",
                                                                 "Say so when there is nothing to "
                                                                 "look at."));
    parser.addOptions({device, registryFile, systemFile, timeout, verbose});

    if (!parser.parse(app.arguments())) {
        std::fprintf(stderr, "ringvane-find-modems: %s\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (!parser.positionalArguments().isEmpty()) {
        const QString said =
            QCoreApplication::translate("ringvane-find-modems", "unexpected argument %1")
                .arg(parser.positionalArguments().first());
        std::fprintf(stderr, "ringvane-find-modems: %s\n", qPrintable(said));
        return 2;
    }

    FinderOptions options;
    options.devices = parser.values(device);
    options.registryPath = parser.value(registryFile);
    if (options.registryPath.isEmpty())
        options.registryPath = qEnvironmentVariable("RINGVANE_REGISTRY");
    if (options.registryPath.isEmpty())
        options.registryPath = registry::userRegistryFilePath();
    options.systemRegistryPath =
        parser.isSet(systemFile) ? parser.value(systemFile) : registry::systemRegistryFilePath();
    if (parser.isSet(timeout)) {
        bool ok = false;
        const int ms = parser.value(timeout).toInt(&ok);
        if (!ok || ms < 50 || ms > 60000) {
            const QString said =
                QCoreApplication::translate("ringvane-find-modems", "%1 wants 50 to 60000 ms")
                    .arg(QStringLiteral("--answer-timeout"));
            std::fprintf(stderr, "ringvane-find-modems: %s\n", qPrintable(said));
            return 2;
        }
        options.timings.answerMs = ms;
    }
    options.verbose = parser.isSet(verbose);

    QTextStream out(stdout);
    return findModems(options, out);
}

// ringvane-linesim: a caller-ID modem on a pseudo-terminal, for demos and manual tests.
// Prints the device path, then reads commands from standard input:
//   call [NUMBER [NAME]]   print a caller-ID report now (the phone then rings --rings times)
//   ring                   print a RING line
//   hold | release         stop / resume reading what the program sends
//   unplug                 close the device (the program sees it vanish) and quit
//   quit
#include "tools/linesim/LineSimulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

QList<int> parseSizes(const QString &text)
{
    QList<int> sizes;
    for (const QString &part : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
        sizes.append(part.trimmed().toInt());
    return sizes;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ringvane-linesim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Stands in for a caller-ID modem on a pseudo-terminal. Commands on standard input: "
        "call [NUMBER [NAME]], ring, hold, release, unplug, quit. After a report the phone "
        "keeps ringing until the program takes it off hook (ATH1) or hangs up (ATH0)."));
    parser.addHelpOption();
    const QCommandLineOption link(QStringLiteral("link"), QStringLiteral("Symlink to the device."),
                                  QStringLiteral("PATH"));
    const QCommandLineOption every(QStringLiteral("every"),
                                   QStringLiteral("Print a report every SECONDS."),
                                   QStringLiteral("SECONDS"));
    const QCommandLineOption log(QStringLiteral("commands-log"),
                                 QStringLiteral("Append each AT command received to FILE, after "
                                                "the time it came (2026-12-10T12:00:00.123 ATH1)."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption number(QStringLiteral("number"), QStringLiteral("Caller's number."),
                                    QStringLiteral("NUMBER"), QStringLiteral("5550123"));
    const QCommandLineOption name(QStringLiteral("name"), QStringLiteral("Caller's name."),
                                  QStringLiteral("NAME"));
    const QCommandLineOption pieces(QStringLiteral("pieces"),
                                    QStringLiteral("Cut output into pieces of these sizes (1,3,7)."),
                                    QStringLiteral("SIZES"));
    const QCommandLineOption delay(QStringLiteral("delay"),
                                   QStringLiteral("Pause between pieces in milliseconds."),
                                   QStringLiteral("MS"), QStringLiteral("0"));
    const QCommandLineOption ringsBefore(QStringLiteral("rings-before"),
                                         QStringLiteral("RING lines before a report."),
                                         QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption rings(QStringLiteral("rings"),
                                   QStringLiteral("RING lines after a report, unless the call is "
                                                  "taken off hook or hung up first."),
                                   QStringLiteral("N"), QStringLiteral("4"));
    const QCommandLineOption ringInterval(QStringLiteral("ring-interval"),
                                          QStringLiteral("Milliseconds from one RING to the next."),
                                          QStringLiteral("MS"), QStringLiteral("6000"));
    const QCommandLineOption noHangup(QStringLiteral("no-hangup"),
                                      QStringLiteral("Answer ATH1 with ERROR, like a caller-ID-only "
                                                     "device that cannot take a call off hook."));
    const QCommandLineOption crOnly(QStringLiteral("cr-only"), QStringLiteral("End lines with CR alone."));
    const QCommandLineOption noSpaces(QStringLiteral("no-spaces"), QStringLiteral("\"NMBR=...\" without blanks."));
    const QCommandLineOption noBlank(QStringLiteral("no-blank-lines"), QStringLiteral("No blank lines around a report."));
    const QCommandLineOption nameFirst(QStringLiteral("name-first"), QStringLiteral("NAME before NMBR."));
    const QCommandLineOption noEcho(QStringLiteral("no-echo"), QStringLiteral("Do not echo what is received."));
    parser.addOptions({link, every, log, number, name, pieces, delay, ringsBefore, rings, ringInterval,
                       noHangup, crOnly, noSpaces, noBlank, nameFirst, noEcho});
    parser.process(app);

    LineSimulator sim;
    if (!sim.isValid()) {
        std::fprintf(stderr, "ringvane-linesim: %s\n", qPrintable(sim.errorString()));
        return 1;
    }
    if (parser.isSet(link) && !sim.linkTo(parser.value(link))) {
        std::fprintf(stderr, "ringvane-linesim: cannot link %s: %s\n",
                     qPrintable(parser.value(link)), qPrintable(sim.errorString()));
        return 1;
    }
    sim.setEcho(!parser.isSet(noEcho));
    sim.setPieces(parseSizes(parser.value(pieces)), parser.value(delay).toInt());

    ReportStyle style;
    style.ringsBefore = parser.value(ringsBefore).toInt();
    sim.setRingsAfterReport(parser.value(rings).toInt(), parser.value(ringInterval).toInt());
    sim.setCanGoOffHook(!parser.isSet(noHangup));
    style.crOnly = parser.isSet(crOnly);
    style.spacesAroundEquals = !parser.isSet(noSpaces);
    style.blankLines = !parser.isSet(noBlank);
    style.nameBeforeNumber = parser.isSet(nameFirst);

    if (parser.isSet(log)) {
        if (const Result<void> opened = sim.setCommandsLog(parser.value(log)); !opened) {
            std::fprintf(stderr, "ringvane-linesim: cannot write %s: %s\n", qPrintable(parser.value(log)),
                         qPrintable(opened.errorString()));
            return 1;
        }
    }
    if (parser.isSet(every))
        sim.startSchedule(qMax(1, parser.value(every).toInt()) * 1000, parser.value(number), style,
                          parser.value(name));

    // Quit cleanly on a signal so the symlink goes away with the device.
    if (::pipe(g_signalPipe) == 0) {
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
        auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    }

    QTextStream out(stdout);
    out << sim.slavePath() << Qt::endl;

    QFile in;
    in.open(stdin, QIODevice::ReadOnly);
    auto *stdinNotifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &app);
    QObject::connect(stdinNotifier, &QSocketNotifier::activated, &app, [&] {
        const QByteArray line = in.readLine();
        if (line.isEmpty()) { // end of input: keep serving the line until a signal
            stdinNotifier->setEnabled(false);
            return;
        }
        const QStringList words = QString::fromLocal8Bit(line).simplified().split(QLatin1Char(' '));
        const QString verb = words.value(0).toLower();
        if (verb == QLatin1String("call")) {
            CallerIdReport report = reportAt(QDateTime::currentDateTime(),
                                             words.value(1, parser.value(number)),
                                             words.size() > 2 ? words.mid(2).join(QLatin1Char(' '))
                                                              : parser.value(name));
            sim.sendReport(report, style);
        } else if (verb == QLatin1String("ring")) {
            sim.send(style.crOnly ? "\rRING\r" : "\r\nRING\r\n");
        } else if (verb == QLatin1String("hold")) {
            sim.setHoldOutput(true);
        } else if (verb == QLatin1String("release")) {
            sim.setHoldOutput(false);
        } else if (verb == QLatin1String("unplug")) {
            sim.closeMaster();
            app.quit();
        } else if (verb == QLatin1String("quit")) {
            app.quit();
        } else if (!verb.isEmpty()) {
            out << "unknown command: " << verb << Qt::endl;
        }
    });
    return app.exec();
}

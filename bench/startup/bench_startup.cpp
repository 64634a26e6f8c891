// bench_startup: time from process start to the first painted main window (offscreen),
// and the peak memory at that moment, for the program against a bare Qt window measured
// in the same run. The program has a call log of 1,000,000 calls over three years and the
// line simulator as its modem.
//
// Each measured start is a fresh process: "--program" runs this executable with the
// program's own start-up (as main() does it, with its libraries) plus a paint hook; the
// reference is startup_bare_window, which links Qt Widgets only. The child prints the
// monotonic clock at its paint and its peak resident size; the parent took the clock just
// before starting it. The phonebook holds 100,000 entries; the child also notes when start-up
// first reached libphonenumber and built its geocoder, which should both follow the paint.
#include "bench/support/BenchClock.h"
#include "bench/startup/ProcStatus.h"
#include "modem/CommandOutput.h"
#include "tools/linesim/LineSimulator.h"
#include "shell/ProgramOptions.h"
#include "shell/frmMain.h"
#include "translations/Translations.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QPixmap>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <ctime>
#include <tuple>
#include <utility>
#include <sys/resource.h>
#include <unistd.h>

namespace {

std::atomic<qint64> g_numbersFirstNs{0};
std::atomic<qint64> g_geocoderFirstNs{0};

void noteFirst(std::atomic<qint64> &first)
{
    qint64 never = 0;
    first.compare_exchange_strong(never, bench::monotonicNs());
}

} // namespace

// The library's own definition: it is loaded with the program's telephone-number module, out
// of the global scope that RTLD_NEXT searches.
void *libraryOwn(const char *library, const char *symbol)
{
    return dlsym(dlopen(library, RTLD_LAZY | RTLD_NOLOAD), symbol);
}

// libphonenumber's way in and its geocoder's constructor, taken over in this program (its
// own definitions, exported, win over the library's for the module too) to note when start-up
// first reaches them; each passes on to the library's own.
#define BENCH_NUMBERS_INSTANCE "_ZN4i18n12phonenumbers15PhoneNumberUtil11GetInstanceEv"
#define BENCH_GEOCODER_BUILT "_ZN4i18n12phonenumbers26PhoneNumberOfflineGeocoderC1Ev"
extern "C" void *benchNumbersInstance() __asm__(BENCH_NUMBERS_INSTANCE);
extern "C" void *benchNumbersInstance()
{
    noteFirst(g_numbersFirstNs);
    static const auto library = reinterpret_cast<void *(*)()>(libraryOwn("libphonenumber.so.8", BENCH_NUMBERS_INSTANCE));
    return library();
}
extern "C" void benchGeocoderBuilt(void *geocoder) __asm__(BENCH_GEOCODER_BUILT);
extern "C" void benchGeocoderBuilt(void *geocoder)
{
    noteFirst(g_geocoderFirstNs);
    static const auto library = reinterpret_cast<void (*)(void *)>(libraryOwn("libgeocoding.so.8", BENCH_GEOCODER_BUILT));
    library(geocoder);
}

namespace {

long peakKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}


[[noreturn]] void reportAndLeave(qint64 firstNs, qint64 readyNs, long firstKb, QWidget *window)
{
    const long peak = peakKb(), anon = statusKb("RssAnon:"), file = statusKb("RssFile:"), unshared = privateKb();
    keepMemoryMap();
    // BENCH_STARTUP_GRAB=PREFIX keeps the window as painted when ready (PREFIX.PID.png), to
    // compare two builds pixel for pixel; taken after the figures, which it would change.
    if (const QString prefix = qEnvironmentVariable("BENCH_STARTUP_GRAB"); !prefix.isEmpty())
        window->grab().save(prefix + QLatin1Char('.') + QString::number(QCoreApplication::applicationPid()) +
                            QLatin1String(".png"));
    std::printf(STARTUP_REPORT_FORMAT "\n", static_cast<long long>(firstNs), static_cast<long long>(readyNs),
                peak, firstKb, anon, file, unshared);
    std::printf(NUMBERS_REPORT_FORMAT "\n", static_cast<long long>(g_numbersFirstNs.load()),
                static_cast<long long>(g_geocoderFirstNs.load()));
    std::fflush(stdout);
    ::_exit(0); // the figure is taken; tearing down is not part of the start
}

// The main window with a hook: its first paint, and the first repaint after start-up
// finished (the window with the modem open and today's calls listed).
class HookedMain : public frmMain
{
public:
    bool loaded = false;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        frmMain::paintEvent(event);
        if (!m_firstNs) {
            m_firstNs = bench::monotonicNs();
            m_firstKb = peakKb();
        }
    }
    bool event(QEvent *event) override
    {
        const bool handled = frmMain::event(event);
        if (loaded && event->type() == QEvent::UpdateRequest)
            reportAndLeave(m_firstNs, bench::monotonicNs(), m_firstKb, this);
        return handled;
    }

private:
    qint64 m_firstNs = 0;
    long m_firstKb = 0;
};

int runProgram(int argc, char **argv)
{
    // As main() starts the program.
    QApplication app(argc, argv);
    translations::installTranslations(settingsFilePath());
    QApplication::setApplicationName(QStringLiteral("ringvane"));
    QApplication::setDesktopFileName(QStringLiteral("ringvane"));
    const ProgramOptions options = programOptionsOrExit({QStringLiteral("ringvane")});
    HookedMain window;
    window.Form_Load();
    window.explainMissingModem();
    window.startCallOutlets(options);
    window.loaded = true;
    window.update();
    return app.exec();
}

struct Sample
{
    double firstMs = 0;
    double readyMs = 0;
    long maxrssKb = 0;
    long firstKb = 0;
    long anonKb = 0;
    long fileKb = 0;
    long privateKb = 0;
    // When start-up first reached libphonenumber and its geocoder, from the start; 0: not
    // before the window was ready.
    double numbersMs = 0;
    double geocoderMs = 0;
};

// One start: "--program" (this executable), "--bare" or "--bare-text" (the reference
// window, a helper of its own).
bool measure(const QString &mode, const QProcessEnvironment &env, Sample &sample)
{
    QString program = QCoreApplication::applicationFilePath();
    QStringList arguments{mode};
    if (mode != QLatin1String("--program")) {
        program = QStringLiteral(BENCH_STARTUP_BARE);
        arguments = mode == QLatin1String("--bare-text") ? QStringList{QStringLiteral("--text")} : QStringList{};
    }
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::SeparateChannels);
    const qint64 started = bench::monotonicNs();
    // BENCH_STARTUP_WRAP="heaptrack -o /tmp/start" runs the program's starts under a tool.
    if (const QString wrap = qEnvironmentVariable("BENCH_STARTUP_WRAP");
        mode == QLatin1String("--program") && !wrap.isEmpty()) {
        QStringList tool = QProcess::splitCommand(wrap);
        arguments.prepend(std::exchange(program, tool.takeFirst()));
        arguments = tool + arguments;
    }
    child.start(program, arguments);
    // The simulated modem lives in this process: keep its event loop running, asleep
    // between events so it takes no processor time from the start being measured.
    QEventLoop loop;
    QObject::connect(&child, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&child, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    if (child.state() != QProcess::NotRunning)
        loop.exec();
    child.waitForFinished(1000);
    long long first = 0, ready = 0;
    long rss = 0, firstRss = 0, anon = 0, file = 0, unshared = 0;
    const QByteArray out = child.readAllStandardOutput();
    if (std::sscanf(out.constData(), STARTUP_REPORT_FORMAT, &first, &ready, &rss, &firstRss, &anon, &file,
                    &unshared) != 7) {
        std::fprintf(stderr, "bench_startup: %s gave no figure: %s %s\n", qPrintable(mode),
                     out.constData(), child.readAllStandardError().constData());
        return false;
    }
    sample = {(first - started) / 1e6, (ready - started) / 1e6, rss, firstRss, anon, file, unshared};
    long long numbers = 0, geocoder = 0;
    if (const char *line = std::strstr(out.constData(), "numbers=");
        line && std::sscanf(line, NUMBERS_REPORT_FORMAT, &numbers, &geocoder) == 2) {
        sample.numbersMs = numbers ? (numbers - started) / 1e6 : 0;
        sample.geocoderMs = geocoder ? (geocoder - started) / 1e6 : 0;
    }
    return true;
}

bool run(const QString &program, const QStringList &arguments, const QProcessEnvironment &env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, arguments);
    if (!p.waitForFinished(600000) || p.exitCode() != 0) {
        std::fprintf(stderr, "bench_startup: %s failed: %s\n", qPrintable(program),
                     p.readAllStandardError().constData());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--program") == 0)
        return runProgram(argc, argv);

    QCoreApplication app(argc, argv);
    // bench_startup [ROUNDS [CALLS]]
    const int rounds = argc > 1 ? qMax(1, atoi(argv[1])) : 5;
    const int kCalls = argc > 2 ? qMax(1, atoi(argv[2])) : 1000000;
    constexpr int kPhonebook = 100000;
    constexpr int kPhonebookRanges = 1000;

    QTemporaryDir dir;
    LineSimulator modem;
    if (!dir.isValid() || !modem.isValid()) {
        std::fprintf(stderr, "bench_startup: no temporary folder or pseudo-terminal\n");
        return 1;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("RINGVANE_REGISTRY"), dir.filePath(QStringLiteral("registry.reg")));
    env.insert(QStringLiteral("ODBCINI"), dir.filePath(QStringLiteral("odbc.ini")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    // No desktop reached: the notices are said unavailable.
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
               QStringLiteral("unix:path=") + dir.filePath(QStringLiteral("no-session-bus")));
    // The user's country, as the phonebook's numbers are read in it.
    if (!QDir(dir.path()).mkpath(QStringLiteral("config/ringvane")))
        return 1;
    QFile settings(dir.filePath(QStringLiteral("config/ringvane/ringvane.conf")));
    if (!settings.open(QIODevice::WriteOnly) || settings.write("[numbers]\nregion=GB\n") < 0)
        return 1;
    settings.close();

    QFile registry(dir.filePath(QStringLiteral("registry.reg")));
    if (!registry.open(QIODevice::WriteOnly))
        return 1;
    registry.write(simulatedModemRegistry(modem.slavePath()).toUtf8());
    registry.close();

    // The call log: created as a user creates it, then filled in one transaction with
    // calls spread evenly over the three years up to the end of today.
    if (!run(QStringLiteral(RINGVANE_SETUP_COMMAND), {}, env))
        return 1;
    const qint64 endDay = QDate(1899, 12, 30).daysTo(QDate::currentDate()) + 1;
    const double span = 3 * 365.0;
    const QString fill =
        QStringLiteral("BEGIN; WITH RECURSIVE c(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM c WHERE "
                       "i < %1) INSERT INTO IDList (datetime, number) SELECT %2 + i * %3, "
                       "printf('555%07d', i) FROM c; COMMIT;")
            .arg(kCalls - 1)
            .arg(double(endDay) - span, 0, 'f', 1)
            .arg(span / kCalls, 0, 'g', 17);
    const QString database = dir.filePath(QStringLiteral("data/ringvane/calllog.db"));
    if (!run(QStringLiteral("sqlite3"), {database, fill}, env))
        return 1;
    // The phonebook: contacts written the way people write them, 1,000 of them ranges.
    const QString phonebook =
        QStringLiteral("BEGIN; WITH RECURSIVE c(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM c WHERE "
                       "i < %1) INSERT INTO Phonebook (number, name) SELECT CASE WHEN i < %2 THEN "
                       "printf('0800 %03d*', i) ELSE printf('+44 20 7%03d %04d', i / 10000, i % "
                       "10000) END, 'Contact ' || i FROM c; COMMIT;")
            .arg(kPhonebook - 1)
            .arg(kPhonebookRanges);
    if (!run(QStringLiteral("sqlite3"), {database, phonebook}, env))
        return 1;

    // One start of each to warm the page cache, then alternate so load changes hit both.
    Sample sample;
    if (!measure(QStringLiteral("--bare"), env, sample) || !measure(QStringLiteral("--program"), env, sample))
        return 1;
    // The same start in German: the program's translation and Qt's own loaded.
    QProcessEnvironment german = env;
    german.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
    QList<Sample> bare, text, program, programDe;
    for (int i = 0; i < rounds; ++i) {
        for (auto [mode, environment, samples] :
             {std::tuple{"--bare", &env, &bare}, {"--bare-text", &env, &text}, {"--program", &env, &program},
              {"--program", &german, &programDe}}) {
            if (!measure(QLatin1String(mode), *environment, sample))
                return 1;
            samples->append(sample);
        }
    }

    const auto med = [](const QList<Sample> &samples, auto member) {
        QList<std::decay_t<decltype(samples.first().*member)>> values;
        for (const Sample &s : samples)
            values << s.*member;
        return bench::median(values);
    };
    const double bareMs = med(bare, &Sample::readyMs);
    const double firstMs = med(program, &Sample::firstMs);
    const long bareKb = med(bare, &Sample::maxrssKb);
    const long programKb = med(program, &Sample::maxrssKb);
    const long barePrivate = med(bare, &Sample::privateKb);
    const long programPrivate = med(program, &Sample::privateKb);
    std::printf("startup: %d starts each, medians; call log %d calls, today's about %d; phonebook "
                "%d entries (%d ranges); the call outlets started as main() does\n",
                rounds, kCalls, int(kCalls / span), kPhonebook, kPhonebookRanges);
    std::printf("startup bare window:            %8.1f ms  peak %7ld KB  private %7ld KB\n", bareMs, bareKb,
                barePrivate);
    std::printf("startup bare window with text:  %8.1f ms  peak %7ld KB  private %7ld KB\n",
                med(text, &Sample::readyMs), med(text, &Sample::maxrssKb), med(text, &Sample::privateKb));
    std::printf("startup program, first paint:   %8.1f ms  (%.2fx bare, goal <= 2.5x)  peak %7ld KB (%.2fx bare)\n",
                firstMs, firstMs / bareMs, med(program, &Sample::firstKb),
                double(med(program, &Sample::firstKb)) / bareKb);
    std::printf("startup program, ready painted: %8.1f ms  (%.2fx bare)  peak %7ld KB (%.2fx bare, goal <= 1.4x; "
                "%.2fx bare with text)\n",
                med(program, &Sample::readyMs), med(program, &Sample::readyMs) / bareMs, programKb,
                double(programKb) / bareKb, double(programKb) / med(text, &Sample::maxrssKb));
    std::printf("startup program, private when ready (written pages, its alone): %7ld KB (%.2fx bare, %.2fx bare "
                "with text)\n",
                programPrivate, double(programPrivate) / barePrivate,
                double(programPrivate) / med(text, &Sample::privateKb));
    std::printf("startup resident when ready: bare %ld KB anonymous + %ld KB files, program %ld KB anonymous "
                "+ %ld KB files (libraries, fonts, pictures)\n",
                med(bare, &Sample::anonKb), med(bare, &Sample::fileKb), med(program, &Sample::anonKb),
                med(program, &Sample::fileKb));
    const double firstDeMs = med(programDe, &Sample::firstMs);
    const long addedDeKb = med(programDe, &Sample::maxrssKb) - programKb;
    std::printf("startup program in German, first paint: %8.1f ms  (%.2fx bare, goal <= 2.5x) %s; peak when "
                "ready %+ld KB against English (goal <= +1024 KB) %s\n",
                firstDeMs, firstDeMs / bareMs, firstDeMs / bareMs <= 2.5 ? "MET" : "NOT MET", addedDeKb,
                addedDeKb <= 1024 ? "MET" : "NOT MET");
    int numbersBefore = 0, geocoderBefore = 0, numbersUsed = 0, geocoderBuilt = 0;
    QList<double> numbersAfterPaint;
    for (const Sample &s : program) {
        numbersUsed += s.numbersMs > 0;
        geocoderBuilt += s.geocoderMs > 0;
        numbersBefore += s.numbersMs > 0 && s.numbersMs < s.firstMs;
        geocoderBefore += s.geocoderMs > 0 && s.geocoderMs < s.firstMs;
        if (s.numbersMs > 0)
            numbersAfterPaint << s.numbersMs - s.firstMs;
    }
    std::printf("startup: libphonenumber first used in %d of %d starts before the window was ready, "
                "%d of them before the first paint%s; its geocoder built in %d, %d before the first "
                "paint (goal: none before) %s\n",
                numbersUsed, int(program.size()), numbersBefore,
                numbersAfterPaint.isEmpty()
                    ? ""
                    : qPrintable(QStringLiteral(" (median %1 ms after it)")
                                     .arg(bench::median(numbersAfterPaint), 0, 'f', 1)),
                geocoderBuilt, geocoderBefore,
                numbersBefore + geocoderBefore == 0 ? "MET" : "NOT MET");
    std::printf("startup: the program's start includes %lld ms of pauses after its three modem "
                "commands (the modem's pacing)\n",
                static_cast<long long>(3 * CommandOutput::CommandPause.count()));
    return 0;
}

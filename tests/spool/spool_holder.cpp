// Another Ringvane instance as far as the spool is concerned: opens the spool in the folder
// and under the key given, keeps the calls given (number@yyyy-MM-ddTHH:mm), prints the
// spool's path and then holds it until its input closes or it is killed.

#include "calllog/CallSpool.h"
#include "locale/DateServices.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    const Result<std::unique_ptr<CallSpool>> opened =
        CallSpool::open(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    if (!opened) {
        std::fprintf(stderr, "%s\n", qPrintable(opened.errorString()));
        return 1;
    }
    CallSpool *const spool = opened->get();
    QList<SpooledCall> calls;
    for (int i = 3; i < argc; ++i) {
        const QStringList parts = QString::fromLocal8Bit(argv[i]).split(QLatin1Char('@'));
        const QDateTime when = QDateTime::fromString(parts.value(1), Qt::ISODate);
        calls.append({spool->nextFreeId() + quint64(calls.size()),
                      Call{dates::makeDateTime(when.date(), when.time()), parts[0], {}}});
    }
    if (const Result<void> appended = spool->append(calls); !appended) {
        std::fprintf(stderr, "%s\n", qPrintable(appended.errorString()));
        return 1;
    }
    std::printf("%s\n", qPrintable(spool->path()));
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    return 0;
}

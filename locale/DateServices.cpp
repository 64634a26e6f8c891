#include "locale/DateServices.h"

#include <cmath>

namespace dates {

namespace {

const QDate kEpoch(1899, 12, 30);
constexpr qint64 kMsPerDay = 86'400'000;

class SystemClock final : public Clock
{
public:
    QDateTime now() const override
    {
        const QDateTime local = QDateTime::currentDateTime();
        return makeDateTime(local.date(), local.time());
    }
};

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace

const Clock &systemClock()
{
    static const SystemClock clock;
    return clock;
}

QDateTime makeDateTime(const QDate &date, const QTime &time)
{
    return QDateTime(date, time, Qt::UTC);
}

qint64 toDayNumber(const QDate &date)
{
    return kEpoch.daysTo(date);
}

double toDayNumber(const QDateTime &dateTime)
{
    const double fraction = double(dateTime.time().msecsSinceStartOfDay()) / double(kMsPerDay);
    return double(toDayNumber(dateTime.date())) + fraction;
}

QDateTime fromDayNumber(double dayNumber)
{
    if (!std::isfinite(dayNumber) || dayNumber < -657434.0 || dayNumber >= 2958466.0)
        return {}; // outside 100-01-01 .. 9999-12-31
    const double totalSeconds = std::round(dayNumber * 86400.0);
    const qint64 seconds = qint64(totalSeconds);
    qint64 days = seconds / 86400;
    qint64 rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    return makeDateTime(kEpoch.addDays(days), QTime(0, 0).addSecs(int(rest)));
}

std::optional<QDateTime> parseCallStamp(QStringView text)
{
    // Separators may be anything but digits, so the stamp is its 12 digits in order.
    int digits[12];
    int count = 0;
    for (const QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            if (count == 12)
                return std::nullopt;
            digits[count++] = c.unicode() - '0';
        }
    }
    if (count != 12)
        return std::nullopt;
    auto number = [&](int from, int len) {
        int v = 0;
        for (int i = from; i < from + len; ++i)
            v = v * 10 + digits[i];
        return v;
    };
    const QDate date(number(0, 4), number(4, 2), number(6, 2));
    const QTime time(number(8, 2), number(10, 2));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return makeDateTime(date, time);
}

QString formatCallDate(const QDate &date, const QString &dateSep)
{
    return QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0')) + dateSep +
           twoDigits(date.month()) + dateSep + twoDigits(date.day());
}

QString formatCallTime(const QTime &time, const QString &timeSep)
{
    return twoDigits(time.hour()) + timeSep + twoDigits(time.minute());
}

QString formatCallStamp(const QDateTime &dateTime, const QString &dateSep, const QString &timeSep)
{
    return formatCallDate(dateTime.date(), dateSep) + QLatin1Char(' ') +
           formatCallTime(dateTime.time(), timeSep);
}

QString formatListNumber(int number, const QString &decimalSep)
{
    const QString digits = QString::number(std::abs(qint64(number)));
    QString padded = digits.rightJustified(3, QLatin1Char('0'));
    if (number < 0)
        padded.prepend(QLatin1Char('-'));
    return padded + decimalSep;
}

} // namespace dates

#pragma once

#include <QRandomGenerator>
#include <QString>

// Phone numbers written the ways a phonebook holds them, and as the line sends them: the
// phonebook benchmarks fill their 100,000 entries with the same mix, so their figures compare.
namespace bench {

inline QString digits(QRandomGenerator &random, int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QChar(u'0' + random.bounded(10));
    return text;
}

// One number, written the way a phonebook might hold it; GB is home.
inline QString someNumber(QRandomGenerator &random)
{
    switch (random.bounded(6)) {
    case 0:
        return QStringLiteral("020 7") + digits(random, 3) + QLatin1Char(' ') + digits(random, 4);
    case 1:
        return QStringLiteral("+44 7700 ") + digits(random, 6);
    case 2:
        return QStringLiteral("0161 ") + digits(random, 3) + QLatin1Char(' ') + digits(random, 4);
    case 3:
        return QStringLiteral("+49 30 ") + digits(random, 8);
    case 4:
        return QStringLiteral("+1 (212) 55") + digits(random, 1) + QLatin1Char('-') +
               digits(random, 4);
    default:
        return QStringLiteral("0033 1 ") + digits(random, 8);
    }
}

inline QString someRange(QRandomGenerator &random)
{
    switch (random.bounded(3)) {
    case 0:
        return QStringLiteral("0800 ") + digits(random, 3) + QLatin1Char('*');
    case 1:
        return QStringLiteral("+44 20 7") + digits(random, 3) + QLatin1Char('*');
    default:
        return QStringLiteral("0049 30 ") + digits(random, 2) + QLatin1Char('*');
    }
}

// As the line sends them: digits only, national or with the international prefix.
inline QString asTheLineSendsIt(const QString &written)
{
    QString digitsOnly;
    for (QChar c : written) {
        if (c.isDigit())
            digitsOnly += c;
    }
    if (written.startsWith(QLatin1Char('+')))
        return QStringLiteral("00") + digitsOnly;
    return digitsOnly;
}

} // namespace bench

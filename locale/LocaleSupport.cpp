#include "locale/LocaleSupport.h"

#include "failure/Failure.h"
#include "locale/Nls.h"

#include <array>
#include <climits>
#include <new>

namespace {

constexpr int kItemBufferSize = 256;
constexpr int kDateBufferSize = 255;

const QString kReplaceSource = QStringLiteral("CGLocaleInfo Replace");

} // namespace

QString GetLocaleString(std::int32_t item)
{
    std::array<char, kItemBufferSize> buffer{};
    const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, LCTYPE(item), buffer.data(), kItemBufferSize);
    if (n <= 0)
        return {};
    return QString::fromUtf8(buffer.data(), n - 1);
}

QString FormatLocalDate(const QDateTime &date, const bool &fourDigitYear)
{
    const QDate day = date.date();
    if (!day.isValid() || day.year() < 1 || day.year() > 0xFFFF)
        return {};
    const SYSTEMTIME record{WORD(day.year()), WORD(day.month()), 0, WORD(day.day()), 0, 0, 0, 0};

    QString pattern = GetLocaleString(LOCALE_SSHORTDATE);
    if (fourDigitYear && !pattern.contains(QLatin1String("yyyy"))) {
        if (pattern.contains(QLatin1String("yyy")))
            ReplaceText(pattern, QStringLiteral("yyy"), QStringLiteral("yyyy"));
        else if (pattern.contains(QLatin1String("yy")))
            ReplaceText(pattern, QStringLiteral("yy"), QStringLiteral("yyyy"));
        else if (pattern.contains(QLatin1Char('y')))
            ReplaceText(pattern, QStringLiteral("y"), QStringLiteral("yyyy"));
    }

    std::array<char, kDateBufferSize> buffer{};
    const QByteArray format = pattern.toUtf8();
    const int n = GetDateFormatA(LOCALE_USER_DEFAULT, 0, &record, format.constData(), buffer.data(),
                                 kDateBufferSize);
    if (n <= 0)
        return {};
    return QString::fromUtf8(buffer.data(), n - 1);
}

void ReplaceText(QString &text, const QString &find, const QString &replacement)
{
    // Without this an empty find would match at the same place for ever.
    if (find.isEmpty())
        return;
    try {
        qsizetype start = 0;
        for (;;) {
            const qsizetype at = text.indexOf(find, start, Qt::CaseInsensitive);
            if (at < 0)
                return;
            // Positions are 32-bit numbers in the original; keep texts within them.
            if (text.size() - find.size() + replacement.size() > INT_MAX)
                throw Failure(ErrorNumber::Overflow, QStringLiteral("Overflow"));
            text.replace(at, find.size(), replacement);
            start = at + replacement.size();
        }
    } catch (const Failure &f) {
        throw Failure(f.number(), f.description(), kReplaceSource);
    } catch (const std::bad_alloc &) {
        throw Failure(ErrorNumber::OutOfMemory, QStringLiteral("Out of memory"), kReplaceSource);
    }
}

#include "feed/NcidLines.h"

#include "text/ControlChars.h"

#include <QString>

namespace NcidLines {

QString fieldValue(const QString &text)
{
    QString value = text.left(MaxFieldLength);
    for (QChar &c : value) {
        // Line ends in every form a client might honour, other controls, characters that
        // reorder a client's screen, and the separator.
        const char16_t u = c.unicode();
        if (u == u'*' || u < 0x20 || (u >= 0x7f && u <= 0x9f) || unicode::isLayoutControl(u))
            c = QLatin1Char(' ');
    }
    // A lone surrogate left by the cut would not survive UTF-8.
    if (!value.isEmpty() && value.back().isHighSurrogate())
        value.chop(1);
    return value;
}

namespace {

// Caller-ID reports mark a withheld number or name with "P" and an unknown one with "O".
QString markedValue(const QString &text, const QString &whenEmpty)
{
    if (text.isEmpty())
        return whenEmpty;
    if (text == QLatin1String("P"))
        return QStringLiteral("PRIVATE");
    if (text == QLatin1String("O"))
        return QStringLiteral("OUT-OF-AREA");
    return fieldValue(text);
}

} // namespace

QByteArray callLine(Kind kind, const Call &call)
{
    // A moment that cannot be read still gives a line a client can parse.
    const bool valid = call.when.isValid();
    const QString date =
        valid ? call.when.toString(QStringLiteral("MMddyyyy")) : QStringLiteral("00000000");
    const QString time =
        valid ? call.when.toString(QStringLiteral("HHmm")) : QStringLiteral("0000");

    QString label;
    if (kind == Kind::Live)
        label = call.blocked ? QStringLiteral("HUP: ") : QStringLiteral("CID: ");
    else
        label = call.blocked ? QStringLiteral("HUPLOG: ") : QStringLiteral("CIDLOG: ");
    const QString line =
        label + QStringLiteral("*DATE*") + date + QStringLiteral("*TIME*") + time +
        QStringLiteral("*LINE*-*NMBR*") + markedValue(call.number, QStringLiteral("NO-NUMBER")) +
        QStringLiteral("*MESG*NONE*NAME*") + markedValue(call.name, QStringLiteral("NO NAME")) +
        QStringLiteral("*\n");
    return line.toUtf8();
}

} // namespace NcidLines

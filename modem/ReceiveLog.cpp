#include "modem/ReceiveLog.h"
#include "text/ControlChars.h"

namespace receivelog {

qsizetype charactersToDrop(qsizetype logLength)
{
    if (logLength <= TrimAbove)
        return 0;
    // Pieces longer than TrimDrop (a line of noise read in one go) would otherwise make
    // the log grow with every append; cut such a log back to TrimAbove.
    return qMax(TrimDrop, logLength - TrimAbove);
}

qsizetype charactersDroppedBy(qsizetype logLength, const QList<qsizetype> &appendedLengths)
{
    qsizetype dropped = 0;
    for (const qsizetype appended : appendedLengths) {
        const qsizetype drop = charactersToDrop(logLength);
        dropped += drop;
        logLength += appended - drop;
    }
    return dropped;
}

QString applyBackspaces(const QString &text)
{
    // One pass, so a line full of backspaces costs no more than any other text.
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c != ascii::BS) {
            out.append(c);
            continue;
        }
        if (out.isEmpty())
            continue;
        out.chop(1);
        // Never leave half of a surrogate pair behind.
        if (!out.isEmpty() && out.back().isHighSurrogate())
            out.chop(1);
    }
    return out;
}

QString normaliseLineEnds(const QString &text)
{
    QString out;
    out.reserve(text.size() + 16);
    for (const QChar c : text) {
        if (c == ascii::LF)
            continue;
        out.append(c);
        if (c == ascii::CR)
            out.append(ascii::LF);
    }
    return out;
}

QString prepare(const QString &text)
{
    return normaliseLineEnds(applyBackspaces(text));
}

QString forDisplay(const QString &prepared)
{
    QString out = prepared;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return out;
}

void append(QString &log, const QString &text)
{
    log.remove(0, charactersToDrop(log.size()));
    log += forDisplay(prepare(text));
}

} // namespace receivelog

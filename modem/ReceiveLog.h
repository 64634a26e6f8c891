#pragma once

#include <QList>
#include <QString>

// The text rules of the receive log, apart from the widget that shows it. A line break
// counts as one character here, as the log box holds it.
namespace receivelog {

// A log longer than this is cut back before the next text is appended...
inline constexpr qsizetype TrimAbove = 6400;
// ...by dropping this many characters from its start (it keeps character 3200 on), or
// more where that still leaves it above TrimAbove.
inline constexpr qsizetype TrimDrop = 3199;

// How many characters to drop from the start of a log of this length (0, TrimDrop, or
// down to TrimAbove).
qsizetype charactersToDrop(qsizetype logLength);

// Appending texts of these lengths one after another to a log of this length: how many
// characters the trims drop in all. Drops always take the start, so the log afterwards is
// the log and the texts joined, without that many characters at the front.
qsizetype charactersDroppedBy(qsizetype logLength, const QList<qsizetype> &appendedLengths);

// A backspace removes the character before it within the text, never text already in
// the log; a leading one is dropped alone.
QString applyBackspaces(const QString &text);

// Every LF removed, then a line break after every CR: CR LF and a lone CR both end a
// line, a lone LF ends nothing. The result ends lines with CR LF.
QString normaliseLineEnds(const QString &text);

// Both of the above: the text exactly as the log appends it (lines end in CR LF).
QString prepare(const QString &text);

// The prepared text as the box holds it: each CR LF as one line break ("\n").
QString forDisplay(const QString &prepared);

// The whole rule on a plain string holding the box's text: trim, then append.
void append(QString &log, const QString &text);

} // namespace receivelog

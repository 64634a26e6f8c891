#pragma once

#include <QColor>
#include <QString>
#include <QStringView>

// Text rules of the one-line status display, kept apart from the label so they can be
// checked without a window.
namespace tipline {

// Width in bytes of the text in a double-byte "ANSI" code page: East Asian wide and
// full-width characters count 2, every other character 1.
int ansiWidth(QStringView text);

// n spaces, the text, n spaces.
QString padded(const QString &text, int n);

// The text without its first character, followed by that character ("abc" -> "bca").
QString rotated(const QString &text);

} // namespace tipline

// What a status text tells, which decides its colour.
enum class Tip {
    Good,       // start-up, a cleared line, something back again
    Call,       // a caller's line
    Problem,    // the modem link or the feed
    LogProblem, // the call log: calls are at stake
};

// The colour of a kind of status text, 0x00BBGGRR.
quint32 tipColour(Tip kind);

// A colour value 0x00BBGGRR, or 0x80000000 + n for system colour n.
QColor colorFromOle(quint32 ole);

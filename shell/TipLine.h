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

// A colour value 0x00BBGGRR, or 0x80000000 + n for system colour n.
QColor colorFromOle(quint32 ole);

#include "shell/TipLine.h"

#include <QGuiApplication>
#include <QPalette>

namespace tipline {

namespace {

bool isWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
           (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

} // namespace

int ansiWidth(QStringView text)
{
    int width = 0;
    for (const char32_t c : text.toUcs4())
        width += isWide(c) ? 2 : 1;
    return width;
}

QString padded(const QString &text, int n)
{
    const QString spaces(qMax(n, 0), QLatin1Char(' '));
    return spaces + text + spaces;
}

QString rotated(const QString &text)
{
    if (text.size() < 2)
        return text;
    return text.mid(1) + text.at(0);
}

} // namespace tipline

QColor colorFromOle(quint32 ole)
{
    if (ole & 0x80000000u) {
        const QPalette palette = QGuiApplication::palette();
        switch (ole & 0xFF) {
        case 5: // window background
            return palette.color(QPalette::Base);
        case 7: // menu text
            return palette.color(QPalette::WindowText);
        case 15: // button face
            return palette.color(QPalette::Button);
        case 8: // window text
            return palette.color(QPalette::Text);
        default:
            return palette.color(QPalette::Window);
        }
    }
    return QColor(int(ole & 0xFF), int((ole >> 8) & 0xFF), int((ole >> 16) & 0xFF));
}

quint32 tipColour(Tip kind)
{
    switch (kind) {
    case Tip::Good:
        return 0xFFFF00; // red 0, green 255, blue 255
    case Tip::Call:
    case Tip::Problem:
        return 0x8080FF; // red 255, green 128, blue 128
    case Tip::LogProblem:
        return 0x0000FF; // red 255, green 0, blue 0
    }
    return 0x8080FF;
}

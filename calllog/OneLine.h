#pragma once

#include <QString>

// Text from the line (or the user) shown where one line is all there is: a tooltip, a
// notice, a status text. Control characters and line or paragraph separators become
// blanks, so the text cannot break the line or start lines of its own.
inline QString oneLine(QString text)
{
    for (QChar &c : text) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    return text;
}

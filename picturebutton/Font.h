#pragma once

#include <QFont>
#include <QMetaType>

#include <memory>

// A font object shared by reference, like the pictures: a button keeps the very object
// it is given, and the window hands the same one to all its buttons as their ambient font.
class Font
{
public:
    explicit Font(QFont font = QFont()) : m_font(std::move(font)) {}

    const QFont &font() const { return m_font; }
    void setFont(const QFont &font) { m_font = font; }

private:
    QFont m_font;
};

using FontRef = std::shared_ptr<Font>;

Q_DECLARE_METATYPE(FontRef)

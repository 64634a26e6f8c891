#pragma once

#include "picturebutton/PropertyBag.h"
#include "picturebutton/btn.h"

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QMouseEvent>

#include <memory>

// Distinct solid pictures, so a painted pixel tells which face is shown.
inline PictureRef solidPicture(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    return std::make_shared<Picture>(std::move(image));
}

inline int himetric(int pixels)
{
    return PropertyBag::pixelsToHimetric(pixels);
}

// A mouse event sent straight to the button, carrying exactly the buttons given.
inline void sendMouse(btn &b, QEvent::Type type, QPointF pos, Qt::MouseButton button,
                      Qt::MouseButtons held, Qt::KeyboardModifiers modifiers = {})
{
    QMouseEvent event(type, pos, b.mapToGlobal(pos), button, held, modifiers);
    QApplication::sendEvent(&b, &event);
}

inline void moveHeld(btn &b, QPointF pos, Qt::MouseButtons held = Qt::LeftButton)
{
    sendMouse(b, QEvent::MouseMove, pos, Qt::NoButton, held);
}

#pragma once

#include <QImage>
#include <QString>

#include <cstddef>

// Pictures the program carries, decoded when it is built (ringvane-packpictures) and kept
// in the pixel form the painter draws from. Asking for one costs neither decoding nor a
// copy: the image reads the program's own read-only data.
namespace picturestore {

struct Packed
{
    const char *name; // the resource name it stands for, ":/skin/background.png"
    int width;
    int height;
    QImage::Format format;
    const quint32 *pixels;
};

// Makes a generated set known; later sets win for names given twice.
void add(const Packed *pictures, std::size_t count);

// The packed picture of that name, or a null image.
QImage packed(const QString &name);

// The packed picture, else the file decoded (a null image when it cannot be read).
QImage image(const QString &name);

} // namespace picturestore

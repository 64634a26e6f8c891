#include "picturebutton/PictureStore.h"

#include <QImageReader>
#include <QList>

namespace picturestore {

namespace {

QList<const Packed *> &registry()
{
    static QList<const Packed *> pictures;
    return pictures;
}

} // namespace

void add(const Packed *pictures, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        registry().prepend(&pictures[i]);
}

QImage packed(const QString &name)
{
    for (const Packed *p : registry()) {
        if (name == QLatin1String(p->name))
            return QImage(reinterpret_cast<const uchar *>(p->pixels), p->width, p->height,
                          qsizetype(p->width) * 4, p->format);
    }
    return QImage();
}

QImage image(const QString &name)
{
    QImage picture = packed(name);
    if (picture.isNull() && !name.isEmpty())
        picture = QImageReader(name).read();
    return picture;
}

} // namespace picturestore

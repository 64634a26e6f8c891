#include "Picture.h"

#include "Failure.h"

#include <QFileInfo>
#include <QImageReader>

PictureRef Picture::load(const QString &fileName)
{
    if (fileName.isEmpty())
        return std::make_shared<Picture>();
    if (!QFileInfo::exists(fileName))
        throw Failure(ErrorNumber::FileNotFound, QStringLiteral("File not found"), fileName);
    QImageReader reader(fileName);
    QImage image = reader.read();
    if (image.isNull())
        throw Failure(ErrorNumber::InvalidPicture, QStringLiteral("Invalid picture"), fileName);
    return std::make_shared<Picture>(std::move(image));
}

#include "picturebutton/Picture.h"

#include "failure/Failure.h"
#include "picturebutton/PictureStore.h"

#include <QFileInfo>
#include <QImageReader>

PictureRef Picture::load(const QString &fileName)
{
    if (fileName.isEmpty())
        return std::make_shared<Picture>();
    if (QImage packed = picturestore::packed(fileName); !packed.isNull())
        return std::make_shared<Picture>(std::move(packed));
    if (!QFileInfo::exists(fileName))
        throw Failure(ErrorNumber::FileNotFound, QStringLiteral("File not found"), fileName);
    QImageReader reader(fileName);
    QImage image = reader.read();
    if (image.isNull())
        throw Failure(ErrorNumber::InvalidPicture, QStringLiteral("Invalid picture"), fileName);
    return std::make_shared<Picture>(std::move(image));
}

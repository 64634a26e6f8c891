#pragma once

#include <QImage>
#include <QMetaType>
#include <QString>

#include <memory>

// A picture object as the button's properties hold it. Buttons keep the object they are
// given (a PictureRef), so identity matters: a null PictureRef is "no picture", while a
// Picture without an image is an empty picture.
class Picture
{
public:
    Picture() = default;
    explicit Picture(QImage image) : m_image(std::move(image)) {}

    // An empty file name gives an empty picture; an unreadable file fails (53 or 481).
    static std::shared_ptr<Picture> load(const QString &fileName);

    bool isEmpty() const { return m_image.isNull(); }
    const QImage &image() const { return m_image; }
    QSize size() const { return m_image.size(); }

private:
    QImage m_image;
};

using PictureRef = std::shared_ptr<Picture>;

Q_DECLARE_METATYPE(PictureRef)

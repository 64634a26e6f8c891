// The skin as the program draws it: packed when the program is built, and pixel for pixel
// the pictures the artist's files hold.
#include "shell/LayoutBuilder.h"
#include "picturebutton/Picture.h"
#include "picturebutton/PictureStore.h"
#include "picturebutton/btn.h"

#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void loadSkin()
{
    layoutbuilder::loadWindow(QStringLiteral(":/layout/frmMain.json"));
    btn registersThePointer;
}

QImage decoded(const QString &name)
{
    QImageReader reader(name);
    return reader.read().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

TEST(PackedSkin, PackedAsTheFilesHoldThem)
{
    loadSkin();
    QStringList names;
    for (const QString &file : QDir(QStringLiteral(":/skin")).entryList({QStringLiteral("*.png")}))
        names << QStringLiteral(":/skin/") + file;
    names << QStringLiteral(":/picturebutton/hand.png");
    ASSERT_GE(names.size(), 27);
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        const QImage packed = picturestore::packed(name);
        ASSERT_FALSE(packed.isNull());
        const QImage file = decoded(name);
        EXPECT_EQ(packed.convertToFormat(QImage::Format_ARGB32), file);
        // Opaque pictures are copied straight to the window, the others blended as they are.
        bool opaque = true;
        for (int y = 0; y < file.height(); ++y)
            for (int x = 0; x < file.width(); ++x)
                opaque = opaque && qAlpha(file.pixel(x, y)) == 255;
        EXPECT_EQ(packed.format(),
                  opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    }
}

// Asking costs no copy: every image of a name, and of equal pictures, reads the same
// pixels, and a button's face is that very data.
TEST(PackedSkin, SharedNotCopied)
{
    loadSkin();
    const auto bits = [](const char *name) {
        return picturestore::packed(QLatin1String(name)).constBits();
    };
    EXPECT_EQ(bits(":/skin/background.png"), bits(":/skin/background.png"));
    EXPECT_EQ(bits(":/skin/Power_up.png"), bits(":/skin/Power_disabled.png"))
        << "the same picture, stored once";
    EXPECT_NE(bits(":/skin/Power_up.png"), bits(":/skin/Power_down.png"));
    EXPECT_EQ(Picture::load(QStringLiteral(":/skin/brToday_up.png"))->image().constBits(),
              bits(":/skin/brToday_up.png"));
}

TEST(PackedSkin, OtherPicturesAreReadFromTheirFiles)
{
    loadSkin();
    EXPECT_TRUE(picturestore::packed(QStringLiteral(":/skin/nothing.png")).isNull());
    EXPECT_TRUE(picturestore::image(QStringLiteral(":/skin/nothing.png")).isNull());
    EXPECT_TRUE(picturestore::image(QString()).isNull());

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("face.png"));
    QImage own(5, 4, QImage::Format_RGB32);
    own.fill(qRgb(1, 2, 3));
    ASSERT_TRUE(own.save(file));
    EXPECT_TRUE(picturestore::packed(file).isNull());
    EXPECT_EQ(picturestore::image(file).convertToFormat(QImage::Format_RGB32), own);
    EXPECT_EQ(Picture::load(file)->image().convertToFormat(QImage::Format_RGB32), own);
}

#include "tests/support/TestHelpers.h"
#include "failure/Failure.h"
#include "picturebutton/PropertyBag.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <limits>

namespace {

TEST(PropertyBagTest, NamesIgnoreCaseAndDefaultsAreLeftOut)
{
    PropertyBag bag{{"UpPicture", std::make_shared<Picture>()}, {"Style", 1}};
    EXPECT_TRUE(bag.contains("uppicture"));
    EXPECT_EQ(bag.read("STYLE", 0).toInt(), 1);
    EXPECT_EQ(bag.read("Value", 7).toInt(), 7);

    bag.write("value", 0, 0);
    EXPECT_FALSE(bag.contains("Value"));
    bag.write("Value", 2, 0);
    bag.write("VALUE", 3, 0);
    EXPECT_EQ(bag.names(), QStringList({"UpPicture", "Style", "Value"}));
    EXPECT_EQ(bag.read("value", 0).toInt(), 3);

    // Writing the default again drops the old entry rather than leaving it to be read.
    bag.write("Style", 0, 0);
    EXPECT_EQ(bag.read("Style", 0).toInt(), 0);
    EXPECT_EQ(bag.size(), 2);

    // Objects equal their default only when they are the very same object.
    const PictureRef a = std::make_shared<Picture>();
    bag.write("DownPicture", QVariant::fromValue(a), QVariant::fromValue(a));
    EXPECT_FALSE(bag.contains("DownPicture"));
    bag.write("DownPicture", QVariant::fromValue(a), QVariant::fromValue(std::make_shared<Picture>()));
    EXPECT_TRUE(bag.contains("DownPicture"));
    bag.write("DisablePicture", QVariant::fromValue(PictureRef()), QVariant::fromValue(PictureRef()));
    EXPECT_FALSE(bag.contains("DisablePicture"));
}

TEST(PropertyBagTest, ExtentsAreHundredthsOfAMillimetreAt96Dpi)
{
    const struct
    {
        int pixels;
        int himetric;
    } cases[] = {{0, 0}, {1, 26}, {27, 714}, {42, 1111}, {53, 1402}, {320, 8467}, {240, 6350}};
    for (const auto &c : cases) {
        EXPECT_EQ(PropertyBag::pixelsToHimetric(c.pixels), c.himetric) << c.pixels;
        EXPECT_EQ(PropertyBag::himetricToPixels(c.himetric), c.pixels) << c.himetric;
    }
    for (int px = 0; px < 2000; ++px)
        ASSERT_EQ(PropertyBag::himetricToPixels(PropertyBag::pixelsToHimetric(px)), px);
}

TEST(PropertyValueTest, StoredValuesConvertOrFail)
{
    using namespace propertyvalue;
    EXPECT_EQ(toInt32(QVariant::fromValue<qint16>(-3)), -3);
    EXPECT_EQ(toInt32(true), -1);
    EXPECT_EQ(toInt32(2.5), 2); // half to even
    EXPECT_EQ(toInt32(3.5), 4);
    EXPECT_EQ(toInt32(QStringLiteral(" 12 ")), 12);
    EXPECT_EQ(toInt16(-32768), -32768);
    EXPECT_EQ(toColor(QVariant::fromValue<quint32>(0x80000005u)), 0x80000005u);
    EXPECT_EQ(toColor(static_cast<qint32>(0x80000005u)), 0x80000005u);
    EXPECT_TRUE(toBool(QStringLiteral("True")));
    EXPECT_FALSE(toBool(0));

    const struct
    {
        std::function<void()> convert;
        int number;
    } failing[] = {
        {[] { toInt32(QVariant::fromValue<qint64>(2147483648LL)); }, ErrorNumber::Overflow},
        {[] { toInt32(QVariant::fromValue(std::numeric_limits<quint64>::max())); }, ErrorNumber::Overflow},
        {[] { toInt32(1e300); }, ErrorNumber::Overflow},
        {[] { toInt16(32768); }, ErrorNumber::Overflow},
        {[] { toColor(QVariant::fromValue<qint64>(0x100000000LL)); }, ErrorNumber::Overflow},
        {[] { toInt32(QStringLiteral("twelve")); }, ErrorNumber::TypeMismatch},
        {[] { toInt32(QVariant()); }, ErrorNumber::TypeMismatch},
        {[] { toInt32(QVariant::fromValue(std::make_shared<Picture>())); }, ErrorNumber::TypeMismatch},
        {[] { toBool(QStringLiteral("maybe")); }, ErrorNumber::TypeMismatch},
        {[] { toFont(QVariant::fromValue(std::make_shared<Picture>())); }, ErrorNumber::TypeMismatch},
    };
    for (size_t i = 0; i < std::size(failing); ++i)
        EXPECT_EQ(failureNumber(failing[i].convert), failing[i].number) << "case " << i;
}

TEST(PictureTest, LoadingFromAFile)
{
    const PictureRef empty = Picture::load(QString());
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->isEmpty());
    EXPECT_NE(Picture::load(QString()), empty);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage image(29, 26, QImage::Format_ARGB32);
    image.fill(Qt::white);
    ASSERT_TRUE(image.save(dir.filePath("btn5.png")));
    EXPECT_EQ(Picture::load(dir.filePath("btn5.png"))->size(), QSize(29, 26));

    QFile notAnImage(dir.filePath("notes.png"));
    ASSERT_TRUE(notAnImage.open(QIODevice::WriteOnly));
    notAnImage.write("not a picture");
    notAnImage.close();
    EXPECT_EQ(failureNumber([&] { Picture::load(dir.filePath("missing.png")); }),
              ErrorNumber::FileNotFound);
    EXPECT_EQ(failureNumber([&] { Picture::load(notAnImage.fileName()); }),
              ErrorNumber::InvalidPicture);
}

} // namespace

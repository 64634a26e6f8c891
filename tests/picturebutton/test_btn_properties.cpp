#include "tests/picturebutton/ButtonTesting.h"
#include "failure/Failure.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class PropertiesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.setFont(QFont(QStringLiteral("Sans"), 11));
        window.resize(200, 200);
    }

    QWidget window;
};

TEST_F(PropertiesTest, NewInstanceDefaultsAndSavingThemStoresNone)
{
    btn b(&window);
    btn other(&window);
    EXPECT_TRUE(b.Enabled());
    EXPECT_EQ(b.BackColor(), 0u);
    EXPECT_EQ(b.ForeColor(), 0u);
    EXPECT_EQ(b.BackStyle(), 0);
    EXPECT_EQ(b.BorderStyle(), 0);
    EXPECT_EQ(b.Style(), 0);
    EXPECT_EQ(b.Value(), 0);
    EXPECT_EQ(b.size(), QSize(320, 240));
    ASSERT_TRUE(b.Font());
    EXPECT_EQ(b.Font(), other.Font()); // the window hands out one object
    EXPECT_EQ(b.Font()->font(), window.font());

    const PictureRef pictures[] = {b.UpPicture(), b.DownPicture(), b.DisablePicture()};
    for (const PictureRef &p : pictures) {
        ASSERT_TRUE(p);
        EXPECT_TRUE(p->isEmpty());
    }
    EXPECT_NE(pictures[0], pictures[1]);
    EXPECT_NE(pictures[1], pictures[2]);

    const PropertyBag saved = b.save();
    EXPECT_EQ(saved.names(), QStringList({"_extentx", "_extenty", "UpPicture", "DownPicture",
                                          "DisablePicture"}));
    EXPECT_EQ(saved.read("_extentx", 0).toInt(), 8467);
    EXPECT_EQ(saved.read("_extenty", 0).toInt(), 6350);
}

TEST_F(PropertiesTest, SaveAndLoadKeepEverySettingAndTheSameObjects)
{
    btn b(&window);
    b.resize(44, 47);
    const PictureRef up = solidPicture({44, 48}, Qt::red);
    const PictureRef down = solidPicture({44, 48}, Qt::green);
    const FontRef font = std::make_shared<Font>(QFont(QStringLiteral("MS Sans Serif"), 8));
    b.BackColor(0x80000005u);
    b.ForeColor(0xFFFFFF);
    b.Enabled(false);
    b.Font(font);
    b.BackStyle(-1);
    b.BorderStyle(1);
    b.UpPicture(up);
    b.DownPicture(down);
    b.DisablePicture(nullptr);
    b.Style(1);
    b.Value(1);

    const PropertyBag saved = b.save();
    EXPECT_EQ(saved.names(),
              QStringList({"_extentx", "_extenty", "BackColor", "ForeColor", "Enabled", "Font",
                           "BackStyle", "BorderStyle", "UpPicture", "DownPicture", "Style",
                           "Value"}));

    btn loaded(saved, &window);
    EXPECT_EQ(loaded.size(), QSize(44, 47));
    for (const char *name : {"BackColor", "ForeColor", "Enabled", "Font", "BackStyle", "BorderStyle",
                             "UpPicture", "DownPicture", "DisablePicture", "Style", "Value"})
        EXPECT_EQ(loaded.property(name), b.property(name)) << name; // objects by identity
    EXPECT_EQ(loaded.Font(), font);
    EXPECT_EQ(loaded.UpPicture(), up);
}

TEST_F(PropertiesTest, LoadingOnlySizeFontAndPictures)
{
    const PictureRef up = solidPicture({42, 53}, Qt::red);
    const PictureRef down = solidPicture({42, 53}, Qt::green);
    const PictureRef disabled = solidPicture({42, 53}, Qt::blue);
    const FontRef font = std::make_shared<Font>();
    const PropertyBag store{{"_extentx", 1111},    {"_extenty", 1402},       {"font", font},
                            {"uppicture", up},      {"downpicture", down}, {"disablepicture", disabled}};
    btn b(store, &window);
    EXPECT_EQ(b.size(), QSize(42, 53));
    EXPECT_EQ(b.Style(), 0);
    EXPECT_EQ(b.Value(), 0);
    EXPECT_TRUE(b.Enabled());
    EXPECT_EQ(b.BackColor(), 0u);
    EXPECT_EQ(b.ForeColor(), 0u);
    EXPECT_EQ(b.Font(), font);
    EXPECT_EQ(b.face(), up);
    EXPECT_EQ(b.DisablePicture(), disabled);
}

TEST_F(PropertiesTest, MissingPicturesLoadAsNone)
{
    btn b(PropertyBag{{"UpPicture", solidPicture({4, 4}, Qt::red)}}, &window);
    EXPECT_EQ(b.DownPicture(), nullptr);
    EXPECT_EQ(b.DisablePicture(), nullptr);
    EXPECT_EQ(b.face(), b.UpPicture());
    b.Enabled(false);
    EXPECT_EQ(b.face(), nullptr);
}

TEST_F(PropertiesTest, StoredDisabledShowsTheDisabledFaceYetTakesTheMouse)
{
    const PictureRef disabled = solidPicture({42, 45}, Qt::blue);
    btn *b = new btn(PropertyBag{{"_extentx", 1111},
                                 {"_extenty", 1191},
                                 {"Enabled", false},
                                 {"UpPicture", solidPicture({42, 45}, Qt::red)},
                                 {"DownPicture", solidPicture({42, 45}, Qt::green)},
                                 {"DisablePicture", disabled}},
                     &window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QSignalSpy clicks(b, &btn::Click);
    EXPECT_FALSE(b->Enabled());
    EXPECT_EQ(b->face(), disabled);
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(b->face(), b->DownPicture());
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 1);

    b->Enabled(false);
    EXPECT_FALSE(b->isEnabled());
    EXPECT_EQ(b->face(), disabled);
}

TEST_F(PropertiesTest, BadStoredEntryFailsAndKeepsWhatWasAlreadyRead)
{
    const FontRef font = std::make_shared<Font>();
    const struct
    {
        const char *key;
        QVariant value;
        int number;
        bool downPictureRead;
    } cases[] = {
        {"UpPicture", QStringLiteral("up.png"), ErrorNumber::TypeMismatch, false},
        {"DisablePicture", QVariant::fromValue(font), ErrorNumber::TypeMismatch, true},
        {"uppicture", QVariant(), ErrorNumber::TypeMismatch, false},
        {"DownPicture", 3, ErrorNumber::TypeMismatch, false},
        {"BorderStyle", 40000, ErrorNumber::Overflow, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.key);
        PropertyBag store{{"BackColor", 5}, {"Enabled", false}, {"Font", font}, {"Style", 1}};
        store.insert(c.key, c.value);
        btn b(&window);
        const PictureRef downBefore = b.DownPicture();
        try {
            b.ReadProperties(store);
            ADD_FAILURE() << "no failure";
        } catch (const Failure &f) {
            EXPECT_EQ(f.number(), c.number);
        }
        EXPECT_EQ(b.BackColor(), 5u);
        EXPECT_FALSE(b.Enabled());
        EXPECT_EQ(b.Font(), font);
        EXPECT_EQ(b.Style(), 0); // read after the pictures: never reached
        EXPECT_EQ(b.DownPicture() == downBefore, !c.downPictureRead);
        EXPECT_THROW(btn(store, &window), Failure);
    }
}

TEST_F(PropertiesTest, WritersStoreThenNotifyThenRefresh)
{
    const PictureRef pic = solidPicture({4, 4}, Qt::red);
    const struct
    {
        const char *name;
        QVariant value;
        bool refreshes;
    } cases[] = {
        {"BackColor", 0x123456u, false},
        {"ForeColor", 0x80000008u, false},
        {"Enabled", false, true},
        {"Font", QVariant::fromValue(std::make_shared<Font>()), false},
        {"BackStyle", QVariant::fromValue<qint16>(3), false},
        {"BorderStyle", QVariant::fromValue<qint16>(-2), false},
        {"UpPicture", QVariant::fromValue(pic), true},
        {"DownPicture", QVariant::fromValue(pic), true},
        {"DisablePicture", QVariant::fromValue(pic), true},
        {"Style", 1, false},
        {"Value", 1, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        // A push button held down shows its down face; any refresh puts another face up.
        btn b(PropertyBag{{"UpPicture", solidPicture({4, 4}, Qt::green)},
                          {"DownPicture", solidPicture({4, 4}, Qt::blue)}},
              &window);
        sendMouse(b, QEvent::MouseButtonPress, QPoint(1, 1), Qt::LeftButton, Qt::LeftButton);
        const PictureRef stale = b.face();
        ASSERT_EQ(stale, b.DownPicture());
        QStringList notices;
        bool storedAtNotice = false;
        bool staleAtNotice = false;
        QObject::connect(&b, &btn::PropertyChanged, &b, [&](const QString &name) {
            notices << name;
            storedAtNotice = b.property(c.name) == c.value && b.isEnabled() == b.Enabled();
            staleAtNotice = b.face() == stale;
        });
        ASSERT_TRUE(b.setProperty(c.name, c.value));
        EXPECT_EQ(notices, QStringList{c.name});
        EXPECT_TRUE(storedAtNotice);
        EXPECT_TRUE(staleAtNotice);
        EXPECT_EQ(b.face() != stale, c.refreshes);
    }
}

TEST_F(PropertiesTest, AmbientFontFollowsTheWindowFont)
{
    btn before(&window);
    window.setFont(QFont(QStringLiteral("Serif"), 14));
    btn after(&window);
    EXPECT_NE(before.Font(), after.Font());
    EXPECT_EQ(after.Font()->font(), window.font());
    // The older button's font is no longer the window's, so it is now saved.
    EXPECT_TRUE(before.save().contains("Font"));
    EXPECT_FALSE(after.save().contains("Font"));
}

TEST(PointerTest, ButtonsShowTheHandCursor)
{
    btn b;
    const QCursor cursor = b.cursor();
    EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
    const QImage hand = cursor.pixmap().toImage();
    ASSERT_EQ(hand.size(), QSize(32, 32));
    // The hot spot is the fingertip: drawn, with nothing drawn above it.
    const QPoint hot = cursor.hotSpot();
    EXPECT_NE(qAlpha(hand.pixel(hot)), 0);
    for (int y = 0; y < hot.y(); ++y)
        for (int x = 0; x < hand.width(); ++x)
            ASSERT_EQ(qAlpha(hand.pixel(x, y)), 0) << x << "," << y;
}

} // namespace

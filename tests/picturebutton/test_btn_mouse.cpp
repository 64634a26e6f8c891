#include "tests/picturebutton/ButtonTesting.h"
#include "failure/Failure.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

constexpr int W = 42;
constexpr int H = 45;

class MouseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(200, 200);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    // A button as the main window loads it: size, pictures and Style only.
    btn *makeButton(qint32 style, bool withDisabled = true)
    {
        PropertyBag store{{"_extentx", himetric(W)},
                          {"_extenty", himetric(H)},
                          {"UpPicture", up},
                          {"DownPicture", down},
                          {"Style", style}};
        if (withDisabled)
            store.insert("DisablePicture", disabled);
        auto *b = new btn(store, &window);
        b->move(20, 20);
        b->show();
        return b;
    }

    char faceOf(const btn &b) const
    {
        const PictureRef f = b.face();
        if (f == up)
            return 'U';
        if (f == down)
            return 'D';
        if (f == disabled)
            return 'X';
        return f ? '?' : '-';
    }

    QWidget window;
    PictureRef up = solidPicture({W, H}, Qt::red);
    PictureRef down = solidPicture({W, H}, Qt::green);
    PictureRef disabled = solidPicture({W, H}, Qt::blue);
};

enum class Act { P, M, R }; // press, move with the left button held, release
using enum Act;

struct Step
{
    Act act;
    int x;
    int y;
    char face; // after the step
};

struct FaceCase
{
    const char *name;
    qint32 style;
    qint32 value;
    std::vector<Step> steps;
    qint32 valueAfter;
    int clicks;
};

TEST_F(MouseTest, FacesFollowTheLeftButton)
{
    // clang-format off
    const FaceCase cases[] = {
        {"push click", 0, 0, {{P, 10, 10, 'D'}, {R, 10, 10, 'U'}}, 0, 1},
        {"push drag out and back", 0, 0,
         {{P, 10, 10, 'D'}, {M, 60, 10, 'U'}, {M, 10, 10, 'D'}, {R, 10, 10, 'U'}}, 0, 1},
        {"push release outside", 0, 0, {{P, 10, 10, 'D'}, {M, 10, 90, 'U'}, {R, 10, 90, 'U'}}, 0, 0},
        {"push edges", 0, 0,
         {{P, 5, 5, 'D'}, {M, W, 10, 'D'}, {M, W + 1, 10, 'U'}, {M, 0, H, 'D'}, {M, 0, H + 1, 'U'},
          {M, -1, 10, 'U'}, {R, -1, 10, 'U'}}, 0, 0},
        {"release on the right edge still clicks", 0, 0,
         {{P, 5, 5, 'D'}, {M, W, 10, 'D'}, {R, W, 10, 'U'}}, 0, 1},
        {"push with Value 1 behaves as a push", 0, 1, {{P, 10, 10, 'D'}, {R, 10, 10, 'U'}}, 1, 1},
        {"two-state up latches", 1, 0, {{P, 10, 10, 'D'}, {R, 10, 10, 'D'}}, 1, 1},
        {"two-state up drag out and back", 1, 0,
         {{P, 10, 10, 'D'}, {M, 60, 10, 'U'}, {M, 10, 10, 'D'}, {R, 10, 10, 'D'}}, 1, 1},
        {"two-state up release outside", 1, 0, {{P, 10, 10, 'D'}, {M, 60, 10, 'U'}, {R, 60, 10, 'U'}}, 0, 0},
        {"two-state down releases", 1, 1, {{P, 10, 10, 'U'}, {R, 10, 10, 'U'}}, 0, 1},
        {"two-state down drag out and back", 1, 1,
         {{P, 10, 10, 'U'}, {M, -1, 10, 'D'}, {M, 10, 10, 'U'}, {R, 10, 10, 'U'}}, 0, 1},
        {"two-state down release outside", 1, 1, {{P, 10, 10, 'U'}, {M, -1, 10, 'D'}, {R, -1, 10, 'D'}}, 1, 0},
        {"Value 2 flips to -1 and stays down", 7, 2, {{P, 10, 10, 'U'}, {R, 10, 10, 'D'}}, -1, 1},
    };
    // clang-format on
    for (const FaceCase &c : cases) {
        SCOPED_TRACE(c.name);
        btn *b = makeButton(c.style);
        b->Value(c.value);
        QSignalSpy clicks(b, &btn::Click);
        for (const Step &s : c.steps) {
            const QPoint pos(s.x, s.y);
            if (s.act == P)
                QTest::mousePress(b, Qt::LeftButton, {}, pos);
            else if (s.act == M)
                moveHeld(*b, pos);
            else
                QTest::mouseRelease(b, Qt::LeftButton, {}, pos);
            EXPECT_EQ(faceOf(*b), s.face) << "after the step at " << s.x << "," << s.y;
        }
        EXPECT_EQ(b->Value(), c.valueAfter);
        EXPECT_EQ(clicks.count(), c.clicks);
        delete b;
    }
}

TEST_F(MouseTest, OtherButtonsChangeNothing)
{
    const struct
    {
        qint32 style;
        qint32 value;
        char face;
    } buttons[] = {{0, 0, 'U'}, {1, 0, 'U'}, {1, 1, 'D'}};
    for (const auto &c : buttons) {
        for (Qt::MouseButton other : {Qt::RightButton, Qt::MiddleButton}) {
            SCOPED_TRACE(testing::Message() << "style " << c.style << " value " << c.value
                                            << " button " << int(other));
            btn *b = makeButton(c.style);
            b->Value(c.value);
            QSignalSpy clicks(b, &btn::Click);
            QTest::mousePress(b, other, {}, QPoint(10, 10));
            moveHeld(*b, QPoint(60, 10), other);
            EXPECT_EQ(faceOf(*b), c.face);
            QTest::mouseRelease(b, other, {}, QPoint(10, 10));
            EXPECT_EQ(faceOf(*b), c.face);
            EXPECT_EQ(b->Value(), c.value);
            EXPECT_EQ(clicks.count(), 0);
            delete b;
        }
    }
}

TEST_F(MouseTest, LeftAndRightPressedTogetherAreIgnored)
{
    btn *b = makeButton(1);
    QSignalSpy clicks(b, &btn::Click);
    const Qt::MouseButtons both = Qt::LeftButton | Qt::RightButton;
    sendMouse(*b, QEvent::MouseButtonPress, QPoint(10, 10), Qt::RightButton, both);
    EXPECT_EQ(faceOf(*b), 'U');
    moveHeld(*b, QPoint(11, 10), both);
    EXPECT_EQ(faceOf(*b), 'U');
    sendMouse(*b, QEvent::MouseButtonRelease, QPoint(10, 10), Qt::RightButton, Qt::LeftButton);
    sendMouse(*b, QEvent::MouseButtonRelease, QPoint(10, 10), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(faceOf(*b), 'U');
    EXPECT_EQ(b->Value(), 0);
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(MouseTest, DoubleClickFlipsOnce)
{
    for (qint32 style : {0, 1}) {
        SCOPED_TRACE(style);
        btn *b = makeButton(style);
        QSignalSpy clicks(b, &btn::Click);
        const QPoint at(10, 10);
        QTest::mousePress(b, Qt::LeftButton, {}, at);
        QTest::mouseRelease(b, Qt::LeftButton, {}, at);
        QTest::mouseDClick(b, Qt::LeftButton, {}, at);
        QTest::mouseRelease(b, Qt::LeftButton, {}, at);
        EXPECT_EQ(clicks.count(), 1);
        EXPECT_EQ(b->Value(), style == 0 ? 0 : 1);
        EXPECT_EQ(faceOf(*b), style == 0 ? 'U' : 'D');
        delete b;
    }
}

// btnRcd and btnMdm: whichever tab is clicked writes Value 1 back, so it stays down.
TEST_F(MouseTest, ClickHandlerWritingValueDecidesTheFace)
{
    btn *b = makeButton(1);
    b->Value(1);
    char faceInHandler = 0;
    qint32 valueInHandler = -5;
    QObject::connect(b, &btn::Click, b, [&] {
        faceInHandler = faceOf(*b);
        valueInHandler = b->Value();
        b->Value(1);
    });
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(valueInHandler, 0);
    EXPECT_EQ(faceInHandler, 'U');
    EXPECT_EQ(b->Value(), 1);
    EXPECT_EQ(faceOf(*b), 'D');
}

TEST_F(MouseTest, DisabledButtonShowsItsDisabledFaceAndTakesNoInput)
{
    const struct
    {
        qint32 style;
        qint32 value;
        char enabledFace;
    } cases[] = {{0, 0, 'U'}, {0, 1, 'U'}, {1, 0, 'U'}, {1, 1, 'D'}, {1, -3, 'D'}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << c.style << " value " << c.value);
        btn *b = makeButton(c.style);
        b->Value(c.value);
        QSignalSpy clicks(b, &btn::Click);
        b->Enabled(false);
        EXPECT_EQ(faceOf(*b), 'X');
        EXPECT_FALSE(b->isEnabled());
        sendMouse(*b, QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton, Qt::LeftButton);
        sendMouse(*b, QEvent::MouseButtonRelease, QPoint(10, 10), Qt::LeftButton, Qt::NoButton);
        EXPECT_EQ(faceOf(*b), 'X');
        EXPECT_EQ(clicks.count(), 0);
        b->Value(c.value); // a refresh while disabled keeps the disabled face
        EXPECT_EQ(faceOf(*b), 'X');

        b->Enabled(true);
        EXPECT_EQ(faceOf(*b), c.enabledFace);
        QTest::mousePress(b, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(10, 10));
        EXPECT_EQ(clicks.count(), 1);
        delete b;
    }
}

TEST_F(MouseTest, FacesArePaintedAtTheTopLeftUnscaledOverTheButtonFace)
{
    // A gradient face larger than the button: any scaling would shift the corner pixels.
    QImage big(60, 70, QImage::Format_ARGB32);
    for (int y = 0; y < big.height(); ++y)
        for (int x = 0; x < big.width(); ++x)
            big.setPixel(x, y, qRgb(x * 4, y * 3, 128));
    btn *b = makeButton(0, false);
    const QColor background = b->palette().color(QPalette::Button);
    b->UpPicture(std::make_shared<Picture>(big));
    QImage shot = b->grab().toImage();
    ASSERT_EQ(shot.size(), QSize(W, H));
    for (QPoint p : {QPoint(0, 0), QPoint(W - 1, 0), QPoint(0, H - 1), QPoint(W - 1, H - 1)})
        EXPECT_EQ(shot.pixel(p), big.pixel(p)) << p.x() << "," << p.y();

    b->UpPicture(solidPicture({20, 10}, Qt::red));
    shot = b->grab().toImage();
    EXPECT_EQ(shot.pixelColor(19, 9), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(20, 9), background);
    EXPECT_EQ(shot.pixelColor(W - 1, H - 1), background);

    // No disabled picture, or an empty one: only the background shows.
    for (PictureRef none : {PictureRef(), std::make_shared<Picture>()}) {
        b->DisablePicture(none);
        b->Enabled(false);
        EXPECT_EQ(b->face(), none);
        shot = b->grab().toImage();
        EXPECT_EQ(shot.pixelColor(0, 0), background);
        EXPECT_EQ(shot.pixelColor(W - 1, H - 1), background);
        b->Enabled(true);
    }
}

TEST_F(MouseTest, FlipOverflowLeavesValueAndRaisesNothing)
{
    constexpr qint32 lowest = std::numeric_limits<qint32>::min();
    const struct
    {
        qint32 value;
        bool overflows;
        qint32 valueAfter;
    } cases[] = {
        {lowest + 2, false, std::numeric_limits<qint32>::max()},
        {lowest + 1, true, lowest + 1},
        {lowest, true, lowest},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.value);
        btn *b = makeButton(1);
        b->Value(c.value);
        QSignalSpy clicks(b, &btn::Click);
        QSignalSpy failures(b, &btn::hostFailure);
        QTest::mousePress(b, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(10, 10));
        EXPECT_EQ(b->Value(), c.valueAfter);
        EXPECT_EQ(clicks.count(), c.overflows ? 0 : 1);
        ASSERT_EQ(failures.count(), c.overflows ? 1 : 0);
        if (c.overflows) {
            EXPECT_EQ(failures.at(0).at(0).toInt(), ErrorNumber::Overflow);
            EXPECT_EQ(faceOf(*b), 'D'); // still latched
        }
        delete b;
    }
}

TEST_F(MouseTest, FailingClickHandlerDoesNotEscapeTheEventLoop)
{
    btn *b = makeButton(0);
    QSignalSpy failures(b, &btn::hostFailure);
    QObject::connect(b, &btn::Click, b, [] {
        throw Failure(ErrorNumber::PortAlreadyOpen, QStringLiteral("Port already open"));
    });
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_EQ(failures.count(), 1);
    EXPECT_EQ(failures.at(0).at(0).toInt(), ErrorNumber::PortAlreadyOpen);
    EXPECT_EQ(faceOf(*b), 'U');
}

// Through the window, as the window system delivers it: the press holds the pointer for
// the button, so moves and the release far outside it still reach it.
TEST_F(MouseTest, PressHoldsThePointerForTheButton)
{
    btn *b = makeButton(0);
    QSignalSpy clicks(b, &btn::Click);
    QWindow *w = window.windowHandle();
    const QPoint inside = b->mapTo(&window, QPoint(10, 10));
    const QPoint far(180, 180);
    QTest::mousePress(w, Qt::LeftButton, {}, inside);
    EXPECT_EQ(faceOf(*b), 'D');
    QTest::mouseMove(w, far);
    EXPECT_EQ(faceOf(*b), 'U');
    QTest::mouseMove(w, inside);
    EXPECT_EQ(faceOf(*b), 'D');
    QTest::mouseMove(w, far);
    QTest::mouseRelease(w, Qt::LeftButton, {}, far);
    EXPECT_EQ(faceOf(*b), 'U');
    EXPECT_EQ(clicks.count(), 0);

    QTest::mousePress(w, Qt::LeftButton, {}, inside);
    QTest::mouseRelease(w, Qt::LeftButton, {}, inside);
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(MouseTest, KeysDoNothing)
{
    btn *b = makeButton(1);
    QSignalSpy clicks(b, &btn::Click);
    b->setFocus();
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter, Qt::Key_A}) {
        QTest::keyClick(b, key);
        EXPECT_EQ(faceOf(*b), 'U');
    }
    EXPECT_EQ(b->Value(), 0);
    EXPECT_EQ(clicks.count(), 0);
}

} // namespace

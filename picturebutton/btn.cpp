#include "picturebutton/btn.h"

#include "failure/Failure.h"
#include "picturebutton/PictureStore.h"

#include <QCursor>
#include <QDebug>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <limits>

namespace {

const char AmbientFontKey[] = "ringvaneAmbientFont";

// The hot spot is the fingertip: the middle of the top-most drawn row of the hand.
QPoint fingertip(const QImage &hand)
{
    for (int y = 0; y < hand.height(); ++y) {
        int first = -1;
        int last = -1;
        for (int x = 0; x < hand.width(); ++x) {
            if (qAlpha(hand.pixel(x, y)) != 0) {
                if (first < 0)
                    first = x;
                last = x;
            }
        }
        if (first >= 0)
            return QPoint((first + last) / 2, y);
    }
    return QPoint(0, 0);
}

// Made once: every button shows the same hand.
const QCursor &pointingHand()
{
    static const QCursor cursor = [] {
        const QImage hand = picturestore::image(QStringLiteral(":/picturebutton/hand.png"));
        if (hand.isNull())
            return QCursor(Qt::PointingHandCursor);
        const QPoint hot = fingertip(hand);
        return QCursor(QPixmap::fromImage(hand), hot.x(), hot.y());
    }();
    return cursor;
}

// Qt's button and modifier bits in the masks the handlers take: 1 left, 2 right,
// 4 middle; 1 shift, 2 control, 4 alt.
qint16 buttonMask(Qt::MouseButtons buttons)
{
    qint16 mask = 0;
    if (buttons & Qt::LeftButton)
        mask |= 1;
    if (buttons & Qt::RightButton)
        mask |= 2;
    if (buttons & Qt::MiddleButton)
        mask |= 4;
    return mask;
}

qint16 shiftMask(Qt::KeyboardModifiers modifiers)
{
    qint16 mask = 0;
    if (modifiers & Qt::ShiftModifier)
        mask |= 1;
    if (modifiers & Qt::ControlModifier)
        mask |= 2;
    if (modifiers & Qt::AltModifier)
        mask |= 4;
    return mask;
}

} // namespace

void registerPointerPictures(); // generated from hand.png

// Outside any namespace, as Q_INIT_RESOURCE requires; keeps the cursor image linked in
// from the static library.
static void initResources()
{
    Q_INIT_RESOURCE(picturebutton);
    registerPointerPictures();
}

btn::btn(QWidget *parent) : QWidget(parent)
{
    static const bool resourcesReady = (initResources(), true);
    Q_UNUSED(resourcesReady)
    setFocusPolicy(Qt::StrongFocus);
    setCursor(pointingHand());
    resize(NewInstanceSize);
    InitProperties();
}

btn::btn(const PropertyBag &store, QWidget *parent) : btn(parent)
{
    load(store);
}

btn::~btn() = default;

void btn::BackColor(quint32 New_BackColor)
{
    m_BackColor = New_BackColor;
    emit PropertyChanged(QStringLiteral("BackColor"));
}

void btn::ForeColor(quint32 New_ForeColor)
{
    m_ForeColor = New_ForeColor;
    emit PropertyChanged(QStringLiteral("ForeColor"));
}

void btn::Enabled(bool New_Enabled)
{
    m_Enabled = New_Enabled;
    setEnabled(New_Enabled);
    emit PropertyChanged(QStringLiteral("Enabled"));
    RefreshPicture();
}

void btn::Font(FontRef New_Font)
{
    m_Font = std::move(New_Font);
    emit PropertyChanged(QStringLiteral("Font"));
}

void btn::BackStyle(qint16 New_BackStyle)
{
    m_BackStyle = New_BackStyle;
    emit PropertyChanged(QStringLiteral("BackStyle"));
}

void btn::BorderStyle(qint16 New_BorderStyle)
{
    m_BorderStyle = New_BorderStyle;
    emit PropertyChanged(QStringLiteral("BorderStyle"));
}

void btn::UpPicture(PictureRef New_UpPicture)
{
    m_UpPicture = std::move(New_UpPicture);
    emit PropertyChanged(QStringLiteral("UpPicture"));
    RefreshPicture();
}

void btn::DownPicture(PictureRef New_DownPicture)
{
    m_DownPicture = std::move(New_DownPicture);
    emit PropertyChanged(QStringLiteral("DownPicture"));
    RefreshPicture();
}

void btn::DisablePicture(PictureRef New_DisablePicture)
{
    m_DisablePicture = std::move(New_DisablePicture);
    emit PropertyChanged(QStringLiteral("DisablePicture"));
    RefreshPicture();
}

void btn::Style(qint32 New_Style)
{
    // A new Style shows at the next refresh, press or click.
    m_Style = New_Style;
    emit PropertyChanged(QStringLiteral("Style"));
}

void btn::Value(qint32 New_Value)
{
    m_Value = New_Value;
    emit PropertyChanged(QStringLiteral("Value"));
    RefreshPicture();
}

void btn::InitProperties()
{
    m_Enabled = true;
    m_BackColor = 0;
    m_ForeColor = 0;
    m_Font = AmbientFont();
    m_BackStyle = 0;
    m_BorderStyle = 0;
    m_UpPicture = Picture::load(QString());
    m_DownPicture = Picture::load(QString());
    m_DisablePicture = Picture::load(QString());
    m_Style = 0;
    m_Value = 0;
}

void btn::ReadProperties(const PropertyBag &PropBag)
{
    using namespace propertyvalue;
    const QVariant none = QVariant::fromValue(PictureRef());
    m_BackColor = toColor(PropBag.read(QStringLiteral("BackColor"), quint32(0)));
    m_ForeColor = toColor(PropBag.read(QStringLiteral("ForeColor"), quint32(0)));
    // Only the stored value: the input stays on, so a button stored disabled shows its
    // disabled face and still takes the mouse until Enabled is written.
    m_Enabled = toBool(PropBag.read(QStringLiteral("Enabled"), true));
    m_Font = toFont(PropBag.read(QStringLiteral("Font"), QVariant::fromValue(AmbientFont())));
    m_BackStyle = toInt16(PropBag.read(QStringLiteral("BackStyle"), QVariant::fromValue<qint16>(0)));
    m_BorderStyle =
        toInt16(PropBag.read(QStringLiteral("BorderStyle"), QVariant::fromValue<qint16>(0)));
    m_UpPicture = toPicture(PropBag.read(QStringLiteral("UpPicture"), none));
    m_DownPicture = toPicture(PropBag.read(QStringLiteral("DownPicture"), none));
    m_DisablePicture = toPicture(PropBag.read(QStringLiteral("DisablePicture"), none));
    m_Style = toInt32(PropBag.read(QStringLiteral("Style"), qint32(0)));
    m_Value = toInt32(PropBag.read(QStringLiteral("Value"), qint32(0)));
    RefreshPicture();
}

void btn::WriteProperties(PropertyBag &PropBag) const
{
    const QVariant none = QVariant::fromValue(PictureRef());
    PropBag.write(QStringLiteral("BackColor"), m_BackColor, quint32(0));
    PropBag.write(QStringLiteral("ForeColor"), m_ForeColor, quint32(0));
    PropBag.write(QStringLiteral("Enabled"), m_Enabled, true);
    PropBag.write(QStringLiteral("Font"), QVariant::fromValue(m_Font),
                  QVariant::fromValue(AmbientFont()));
    PropBag.write(QStringLiteral("BackStyle"), QVariant::fromValue(m_BackStyle),
                  QVariant::fromValue<qint16>(0));
    PropBag.write(QStringLiteral("BorderStyle"), QVariant::fromValue(m_BorderStyle),
                  QVariant::fromValue<qint16>(0));
    PropBag.write(QStringLiteral("UpPicture"), QVariant::fromValue(m_UpPicture), none);
    PropBag.write(QStringLiteral("DownPicture"), QVariant::fromValue(m_DownPicture), none);
    PropBag.write(QStringLiteral("DisablePicture"), QVariant::fromValue(m_DisablePicture), none);
    PropBag.write(QStringLiteral("Style"), m_Style, qint32(0));
    PropBag.write(QStringLiteral("Value"), m_Value, qint32(0));
}

void btn::load(const PropertyBag &store)
{
    using propertyvalue::toInt32;
    const int w = toInt32(store.read(QStringLiteral("_extentx"),
                                     PropertyBag::pixelsToHimetric(width())));
    const int h = toInt32(store.read(QStringLiteral("_extenty"),
                                     PropertyBag::pixelsToHimetric(height())));
    resize(PropertyBag::himetricToPixels(w), PropertyBag::himetricToPixels(h));
    ReadProperties(store);
}

PropertyBag btn::save() const
{
    PropertyBag store;
    store.insert(QStringLiteral("_extentx"), PropertyBag::pixelsToHimetric(width()));
    store.insert(QStringLiteral("_extenty"), PropertyBag::pixelsToHimetric(height()));
    WriteProperties(store);
    return store;
}

FontRef btn::AmbientFont() const
{
    // Kept on the window so that all its buttons share one object, and a new one is
    // handed out once the window's font changes.
    QWidget *container = window();
    FontRef font = container->property(AmbientFontKey).value<FontRef>();
    if (!font || font->font() != container->font()) {
        font = std::make_shared<::Font>(container->font());
        container->setProperty(AmbientFontKey, QVariant::fromValue(font));
    }
    return font;
}

void btn::RefreshPicture()
{
    PictureRef face;
    if (!m_Enabled)
        face = m_DisablePicture;
    else if (m_Style != 0 && m_Value != 0)
        face = m_DownPicture;
    else
        face = m_UpPicture;
    m_face = std::move(face);
    repaint();
}

void btn::UserControl_MouseDown(qint16 Button, qint16 Shift, float X, float Y)
{
    Q_UNUSED(Shift)
    Q_UNUSED(X)
    Q_UNUSED(Y)
    LastButton = Button;
    if (Button != 1)
        return;
    if (m_Style == 0)
        setFace(m_DownPicture);
    else
        setFace(m_Value != 0 ? m_UpPicture : m_DownPicture);
}

void btn::UserControl_MouseMove(qint16 Button, qint16 Shift, float X, float Y)
{
    Q_UNUSED(Shift)
    if (Button != 1)
        return;
    const bool inside = X >= 0 && X <= ScaleWidth() && Y >= 0 && Y <= ScaleHeight();
    if (m_Style != 0 && m_Value != 0)
        setFace(inside ? m_UpPicture : m_DownPicture);
    else
        setFace(inside ? m_DownPicture : m_UpPicture);
}

void btn::UserControl_Click()
{
    if (LastButton != 1)
        return;
    if (m_Style == 0) {
        setFace(m_UpPicture);
    } else {
        const qint64 flipped = 1 - qint64(m_Value);
        if (flipped > std::numeric_limits<qint32>::max())
            throw Failure(ErrorNumber::Overflow, QStringLiteral("Overflow"));
        m_Value = qint32(flipped);
        setFace(m_Value != 0 ? m_DownPicture : m_UpPicture);
    }
    emit Click();
}

void btn::setFace(PictureRef face)
{
    m_face = std::move(face);
    update();
}

bool btn::isOverControl(const QPointF &pos) const
{
    // The same closed rectangle the move handler calls inside, so the face shown at the
    // release always agrees with whether a click follows.
    return pos.x() >= 0 && pos.x() <= ScaleWidth() && pos.y() >= 0 && pos.y() <= ScaleHeight();
}

template <class Notice> void btn::deliver(Notice &&notice)
{
    try {
        notice();
    } catch (const Failure &failure) {
        reportFailure(failure);
    }
}

void btn::reportFailure(const Failure &failure)
{
    qWarning().noquote() << "picture button" << objectName() << "failed:" << failure.what();
    // The failed step may have left a face that no longer matches the settings.
    RefreshPicture();
    emit hostFailure(failure.number(), failure.description());
}

void btn::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    if (m_face && !m_face->isEmpty())
        painter.drawImage(QPoint(0, 0), m_face->image());
}

void btn::mousePressEvent(QMouseEvent *event)
{
    m_clickButton = event->button();
    const qint16 button = buttonMask(event->buttons() | event->button());
    const qint16 shift = shiftMask(event->modifiers());
    const QPointF pos = event->position();
    deliver([&] { UserControl_MouseDown(button, shift, float(pos.x()), float(pos.y())); });
}

void btn::mouseMoveEvent(QMouseEvent *event)
{
    const qint16 button = buttonMask(event->buttons());
    const qint16 shift = shiftMask(event->modifiers());
    const QPointF pos = event->position();
    deliver([&] { UserControl_MouseMove(button, shift, float(pos.x()), float(pos.y())); });
}

void btn::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != m_clickButton)
        return;
    m_clickButton = Qt::NoButton;
    if (isOverControl(event->position()))
        deliver([this] { UserControl_Click(); });
}

void btn::mouseDoubleClickEvent(QMouseEvent *)
{
    // The second press of a double-click is neither a press nor the start of a click.
    m_clickButton = Qt::NoButton;
}

void btn::keyPressEvent(QKeyEvent *event)
{
    event->accept();
}

void btn::keyReleaseEvent(QKeyEvent *event)
{
    event->accept();
}

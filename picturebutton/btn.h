#pragma once

#include "picturebutton/Font.h"
#include "picturebutton/Picture.h"
#include "picturebutton/PropertyBag.h"

#include <QWidget>

class Failure;

// The picture button every button of the main window is made of. It draws nothing of its
// own: it shows one of its three pictures as its face, chosen from Enabled, Style, Value
// and the mouse, and raises Click. Each property X has a reader X() and a writer X(New_X).
class btn : public QWidget
{
    Q_OBJECT

    Q_CLASSINFO("BackColor",
                "Returns/sets the background color used to display text and graphics in an object.")
    Q_CLASSINFO("ForeColor",
                "Returns/sets the foreground color used to display text and graphics in an object.")
    Q_CLASSINFO("Enabled",
                "Returns/sets a value that determines whether an object can respond to user-generated events.")
    Q_CLASSINFO("Font", "Returns a Font object.")
    Q_CLASSINFO("BackStyle",
                "Indicates whether a Label or the background of a Shape is transparent or opaque.")
    Q_CLASSINFO("BorderStyle", "Returns/sets the border style for an object.")
    Q_CLASSINFO("Click",
                "Occurs when the user presses and then releases a mouse button over an object.")
    Q_CLASSINFO("DblClick",
                "Occurs when the user presses and releases a mouse button and then presses and releases it again over an object.")
    Q_CLASSINFO("KeyDown", "Occurs when the user presses a key while an object has the focus.")
    Q_CLASSINFO("KeyPress", "Occurs when the user presses and releases an ANSI key.")
    Q_CLASSINFO("KeyUp", "Occurs when the user releases a key while an object has the focus.")
    Q_CLASSINFO("MouseDown",
                "Occurs when the user presses the mouse button while an object has the focus.")
    Q_CLASSINFO("MouseMove", "Occurs when the user moves the mouse.")
    Q_CLASSINFO("MouseUp",
                "Occurs when the user releases the mouse button while an object has the focus.")

    Q_PROPERTY(quint32 BackColor READ BackColor WRITE BackColor)
    Q_PROPERTY(quint32 ForeColor READ ForeColor WRITE ForeColor)
    Q_PROPERTY(bool Enabled READ Enabled WRITE Enabled)
    Q_PROPERTY(FontRef Font READ Font WRITE Font)
    Q_PROPERTY(qint16 BackStyle READ BackStyle WRITE BackStyle)
    Q_PROPERTY(qint16 BorderStyle READ BorderStyle WRITE BorderStyle)
    Q_PROPERTY(PictureRef UpPicture READ UpPicture WRITE UpPicture)
    Q_PROPERTY(PictureRef DownPicture READ DownPicture WRITE DownPicture)
    Q_PROPERTY(PictureRef DisablePicture READ DisablePicture WRITE DisablePicture)
    Q_PROPERTY(qint32 Style READ Style WRITE Style)
    Q_PROPERTY(qint32 Value READ Value WRITE Value)

public:
    // A newly placed button: InitProperties.
    explicit btn(QWidget *parent = nullptr);
    // A button created from stored settings: its size from the extent, then ReadProperties.
    // A failing stored value fails the construction.
    explicit btn(const PropertyBag &store, QWidget *parent = nullptr);
    ~btn() override;

    quint32 BackColor() const { return m_BackColor; }
    void BackColor(quint32 New_BackColor);
    quint32 ForeColor() const { return m_ForeColor; }
    void ForeColor(quint32 New_ForeColor);
    bool Enabled() const { return m_Enabled; }
    void Enabled(bool New_Enabled);
    FontRef Font() const { return m_Font; }
    void Font(FontRef New_Font);
    qint16 BackStyle() const { return m_BackStyle; }
    void BackStyle(qint16 New_BackStyle);
    qint16 BorderStyle() const { return m_BorderStyle; }
    void BorderStyle(qint16 New_BorderStyle);
    PictureRef UpPicture() const { return m_UpPicture; }
    void UpPicture(PictureRef New_UpPicture);
    PictureRef DownPicture() const { return m_DownPicture; }
    void DownPicture(PictureRef New_DownPicture);
    PictureRef DisablePicture() const { return m_DisablePicture; }
    void DisablePicture(PictureRef New_DisablePicture);
    qint32 Style() const { return m_Style; }
    void Style(qint32 New_Style);
    qint32 Value() const { return m_Value; }
    void Value(qint32 New_Value);

    void InitProperties();
    void ReadProperties(const PropertyBag &PropBag);
    void WriteProperties(PropertyBag &PropBag) const;

    // Host side: the size as "_extentx"/"_extenty", then the button's own settings.
    void load(const PropertyBag &store);
    PropertyBag save() const;

    // The picture object shown right now, or null for none.
    PictureRef face() const { return m_face; }
    // The containing window's font, the same object for every button of that window
    // while the window's font stays the same.
    FontRef AmbientFont() const;
    int ScaleWidth() const { return width(); }
    int ScaleHeight() const { return height(); }

    static constexpr QSize NewInstanceSize{320, 240};

signals:
    void Click();
    void DblClick();
    void KeyDown(qint16 KeyCode, qint16 Shift);
    void KeyPress(qint16 KeyAscii);
    void KeyUp(qint16 KeyCode, qint16 Shift);
    void MouseDown(qint16 Button, qint16 Shift, float X, float Y);
    void MouseMove(qint16 Button, qint16 Shift, float X, float Y);
    void MouseUp(qint16 Button, qint16 Shift, float X, float Y);

    void PropertyChanged(const QString &PropertyName);
    // A failure inside a mouse notice (the control's own or a Click handler's): Qt cannot
    // carry it out of the event handler, so it is reported here instead.
    void hostFailure(int number, const QString &description);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    void RefreshPicture();
    void UserControl_MouseDown(qint16 Button, qint16 Shift, float X, float Y);
    void UserControl_MouseMove(qint16 Button, qint16 Shift, float X, float Y);
    void UserControl_Click();

    void setFace(PictureRef face);
    bool isOverControl(const QPointF &pos) const;
    template <class Notice> void deliver(Notice &&notice);
    void reportFailure(const Failure &failure);

    qint32 m_Value = 0;
    qint32 m_Style = 0;
    quint32 m_BackColor = 0;
    quint32 m_ForeColor = 0;
    bool m_Enabled = true;
    FontRef m_Font;
    qint16 m_BackStyle = 0;
    qint16 m_BorderStyle = 0;
    PictureRef m_UpPicture;
    PictureRef m_DownPicture;
    PictureRef m_DisablePicture;
    qint32 LastButton = 0;

    PictureRef m_face;
    // The button whose release over the control makes a click.
    Qt::MouseButton m_clickButton = Qt::NoButton;
};

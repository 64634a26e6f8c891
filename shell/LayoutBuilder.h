#pragma once

#include "shell/LayoutData.h"
#include "picturebutton/PropertyBag.h"

#include <QFont>
#include <QString>

class Comm;
class QComboBox;
class QImage;
class QLabel;
class QLineEdit;
class QListWidget;
class QPainter;
class QPlainTextEdit;
class QTimer;
class QWidget;

// Turns layout data into widget settings: the pieces every control shares (geometry,
// font, colours, tip, visibility), each kind's own settings, and a picture button's
// stored settings. Everything a description says is applied here, so the data and the
// window cannot drift apart.
namespace layoutbuilder {

// A setting the control it is given cannot show (a one-line box asked to wrap): a fault
// of the description, like a malformed one.
struct Mismatch
{
    QString message;
};

// The font by its name, falling back to installed faces of the same kind.
QFont fontFrom(const layoutdata::FontSpec &face);

// Name, caption, fixed client size, frame and icon of a top-level window. Where it is
// placed and whether it has a taskbar entry are settled when it is first shown.
void applyWindow(QWidget *window, const layoutdata::WindowLayout &layout);
// The window's face: its back colour wherever the picture does not reach, then the
// picture at the top-left corner, unscaled.
void paintFace(QPainter &painter, const QWidget *window, const QImage &picture, quint32 backColor);

void applyCommon(QWidget *widget, const layoutdata::ControlLayout &control);
void applyTextBox(QLineEdit *box, const layoutdata::ControlLayout &control);
void applyTextBox(QPlainTextEdit *box, const layoutdata::ControlLayout &control);
void applyComboBox(QComboBox *box, const layoutdata::ControlLayout &control);
void applyListBox(QListWidget *list, const layoutdata::ControlLayout &control);
void applyLabel(QLabel *label, const layoutdata::ControlLayout &control);
void applyImage(QLabel *image, const layoutdata::ControlLayout &control);
void applyTimer(QTimer *timer, const layoutdata::ControlLayout &control);
// Changes only what differs from the component's own state, so a component that already
// has the described settings sees no call at all.
void applySerialPort(Comm *port, const layoutdata::ControlLayout &control);

// The named values a picture button is created from. Fails (throws) on a picture that
// cannot be loaded.
PropertyBag storeFor(const layoutdata::ControlLayout &control);

// Loads a window's layout from the resources; a broken description is a build fault.
layoutdata::WindowLayout loadWindow(const QString &resource);

// Where the old program's local paths ("c:\windows\rr.htm") live on this system:
// drive C: is $XDG_DATA_HOME/ringvane/drive_c, and names are lower case.
QString localPathFor(const QString &windowsUrl);

} // namespace layoutbuilder

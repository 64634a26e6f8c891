#pragma once

#include "LayoutData.h"
#include "PropertyBag.h"

#include <QFont>

class QWidget;

// Turns layout data into widget settings: the pieces every control shares (geometry,
// font, colours, tip, visibility) and a picture button's stored settings.
namespace layoutbuilder {

// The font by its name, falling back to installed faces of the same kind.
QFont fontFrom(const layoutdata::FontSpec &face);

void applyCommon(QWidget *widget, const layoutdata::ControlLayout &control);

// The named values a picture button is created from. Fails (throws) on a picture that
// cannot be loaded.
PropertyBag storeFor(const layoutdata::ControlLayout &control);

// Loads a window's layout from the resources; a broken description is a build fault.
layoutdata::WindowLayout loadWindow(const QString &resource);

// Where the old program's local paths ("c:\windows\rr.htm") live on this system:
// drive C: is $XDG_DATA_HOME/ringvane/drive_c, and names are lower case.
QString localPathFor(const QString &windowsUrl);

} // namespace layoutbuilder

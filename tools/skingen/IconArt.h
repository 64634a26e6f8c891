#pragma once

#include <QByteArray>
#include <QImage>

// The program's icon for menus and software centres, at any size: the same desk set as
// the 32-pixel window icon, kept as shapes so that it is drawn sharp at 16 to 256 pixels
// and written out as SVG from one description.
namespace iconart {

QImage iconAt(int pixels);
QByteArray iconSvg();

} // namespace iconart

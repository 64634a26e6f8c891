#pragma once

#include <QImage>

// The two small-palette pictures: the picture buttons' pointer and the window icon.
// Both are drawn pixel by pixel and stored with a colour table of at most 16 entries,
// the first of which is transparent.
namespace pixelart {

QImage handPointer();
QImage windowIcon();

} // namespace pixelart

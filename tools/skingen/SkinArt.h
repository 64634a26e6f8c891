#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

// The skin's 32-bit pictures. The button faces and the title are cut from the drawn
// face at the place where the window shows them, so they always blend in.
namespace skinart {

enum class Symbol { PowerRing, Telephone, Bulb, Door, ArrowLeft, ArrowRight, LetterT, Minimise };

struct ButtonArt {
    QString name;    // the control's name, also the stem of its file names
    QRect picture;   // where the picture sits on the window, at the picture's own size
    QSize control;   // the control's size, which may cut the picture
    Symbol symbol;
    QColor lit;      // the symbol's colour when pressed
    bool hasDisabledFace;
};

const QList<ButtonArt> &buttons();

// The face without the control wells and window edge; button pictures are cut from it.
QImage skinBase();
QImage background(const QImage &base);
QImage title(const QImage &background);
QImage buttonFace(const QImage &base, const ButtonArt &button, bool down);
QImage splash();
// The mark on a call-list line for a call that was hung up on: a red no-entry disc whose
// bar is a handset laid down, one list line high.
QImage blockedMark(int pixels = 16);

// The whole window as it looks at load, with plain boxes where the standard controls sit;
// for judging the art, not shipped.
QImage mockup(const QImage &base, const QImage &background, bool buttonsDown);

} // namespace skinart

#include "tools/skingen/SkinArt.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <QRegion>

#include <cmath>

namespace skinart {

namespace {

const QColor kFace(170, 68, 223);
const QColor kBandTop(74, 18, 116);
const QColor kBandLow(112, 34, 170);
const QColor kRim(222, 176, 250);
const QColor kShadow(96, 26, 140);
const QColor kHighlight(216, 162, 246);
const QColor kYellow(255, 226, 64);
const QColor kRed(255, 64, 56);

constexpr int kWidth = 510;
constexpr int kHeight = 412;
constexpr int kClientWidth = 509;
constexpr int kClientHeight = 410;
constexpr int kGrooveTop = 390;

QImage canvas(int width, int height, const QColor &fill)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(fill);
    return image;
}

// The lower edge of the top band: high over the two corner buttons, hanging lower
// between the buttons, clear of every button's picture.
QPainterPath bandPath()
{
    const QList<QPointF> knots = {{-20, 29}, {0, 29}, {30, 28}, {80, 29}, {138, 66},
                                  {214, 52}, {270, 67}, {325, 52}, {392, 66},
                                  {440, 29}, {486, 28}, {510, 29}, {530, 29}};
    QPainterPath path(QPointF(-20, -1));
    path.lineTo(knots.first());
    for (int i = 1; i + 2 < knots.size(); ++i) {
        const QPointF p0 = knots[i - 1], p1 = knots[i], p2 = knots[i + 1], p3 = knots[i + 2];
        if (i == 1)
            path.lineTo(p1);
        path.cubicTo(p1 + (p2 - p0) / 6.0, p2 - (p3 - p1) / 6.0, p2);
    }
    path.lineTo(knots.last());
    path.lineTo(530, -1);
    path.closeSubpath();
    return path;
}

// A sunken bevel one pixel outside a control: dark above and left, light below and right.
void sunken(QPainter &p, const QRect &control)
{
    const QRect r = control.adjusted(-1, -1, 0, 0);
    p.setPen(kShadow);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(kHighlight);
    p.drawLine(r.bottomLeft() + QPoint(0, 1), r.bottomRight() + QPoint(1, 1));
    p.drawLine(r.topRight() + QPoint(1, 0), r.bottomRight() + QPoint(1, 1));
}

void drawBall(QPainter &p, QPointF c, qreal r, bool down)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);

    // Socket: a soft darker ring the ball sits in.
    QRadialGradient socket(c + QPointF(0, 1.0), r + 2.2);
    socket.setColorAt(0.0, QColor(40, 8, 70, 150));
    socket.setColorAt(r / (r + 2.2), QColor(40, 8, 70, 110));
    socket.setColorAt(1.0, QColor(40, 8, 70, 0));
    p.setBrush(socket);
    p.drawEllipse(c + QPointF(0, 1.0), r + 2.2, r + 2.2);

    const QPointF centre = down ? c + QPointF(0, 0.6) : c;
    QRadialGradient body(centre + QPointF(0, r * 0.45), r * 1.35);
    if (down) {
        body.setColorAt(0.0, QColor(58, 120, 220));
        body.setColorAt(0.5, QColor(26, 62, 168));
        body.setColorAt(1.0, QColor(8, 20, 86));
    } else {
        body.setColorAt(0.0, QColor(112, 190, 255));
        body.setColorAt(0.5, QColor(44, 104, 226));
        body.setColorAt(1.0, QColor(14, 36, 128));
    }
    p.setBrush(body);
    p.setPen(QPen(QColor(10, 18, 70), 1.0));
    p.drawEllipse(centre, r - 0.5, r - 0.5);

    // Light through the glass pooling at the bottom.
    QRadialGradient glow(centre + QPointF(0, r * 0.75), r * 0.8);
    glow.setColorAt(0.0, QColor(150, 220, 255, down ? 70 : 130));
    glow.setColorAt(1.0, QColor(150, 220, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(centre, r - 1.5, r - 1.5);

    // The window reflection across the top.
    const QRectF shine(centre.x() - r * 0.68, centre.y() - r * 0.92, r * 1.36, r * 0.86);
    QLinearGradient gloss(shine.topLeft(), shine.bottomLeft());
    gloss.setColorAt(0.0, QColor(255, 255, 255, down ? 120 : 200));
    gloss.setColorAt(1.0, QColor(255, 255, 255, 8));
    p.setBrush(gloss);
    p.drawEllipse(shine);
    p.restore();
}

QPainterPath stroked(const QPainterPath &path, qreal width)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(path).simplified();
}

// Every symbol as one area to fill; line work is widened into an outline first.
QPainterPath symbolPath(Symbol symbol, QPointF c, qreal s)
{
    const qreal line = std::max(2.2, s * 0.14);
    QPainterPath path;
    switch (symbol) {
    case Symbol::PowerRing: {
        QPainterPath lines;
        lines.addEllipse(c, s * 0.36, s * 0.36);
        for (int i = 0; i < 4; ++i) {
            const qreal a = i * M_PI / 2;
            const QPointF dir(std::cos(a), std::sin(a));
            lines.moveTo(c + dir * s * 0.52);
            lines.lineTo(c + dir * s * 0.72);
        }
        path = stroked(lines, line);
        break;
    }
    case Symbol::Telephone: {
        // Handset with its two cups resting on the set; the set carries a dial.
        const QRectF arc(c.x() - s * 0.5, c.y() - s * 0.56, s * 1.0, s * 0.62);
        QPainterPath grip;
        grip.arcMoveTo(arc, 165);
        grip.arcTo(arc, 165, -150);
        path = stroked(grip, s * 0.2);
        for (qreal side : {-1.0, 1.0}) {
            QPainterPath cup;
            cup.addRoundedRect(QRectF(c.x() + side * s * 0.46 - s * 0.17, c.y() - s * 0.28,
                                      s * 0.34, s * 0.16), s * 0.06, s * 0.06);
            path = path.united(cup);
        }
        QPainterPath set;
        set.moveTo(c + QPointF(-s * 0.26, -s * 0.06));
        set.lineTo(c + QPointF(s * 0.26, -s * 0.06));
        set.lineTo(c + QPointF(s * 0.5, s * 0.5));
        set.lineTo(c + QPointF(-s * 0.5, s * 0.5));
        set.closeSubpath();
        QPainterPath dial;
        dial.addEllipse(c + QPointF(0, s * 0.24), s * 0.14, s * 0.14);
        path = path.united(set.subtracted(dial));
        break;
    }
    case Symbol::Bulb: {
        const QPointF g = c + QPointF(0, -s * 0.16);
        const qreal gr = s * 0.34;
        QPainterPath glass;
        glass.arcMoveTo(QRectF(g.x() - gr, g.y() - gr, 2 * gr, 2 * gr), -50);
        glass.arcTo(QRectF(g.x() - gr, g.y() - gr, 2 * gr, 2 * gr), -50, 280);
        glass.lineTo(c + QPointF(-s * 0.17, s * 0.32));
        glass.lineTo(c + QPointF(s * 0.17, s * 0.32));
        glass.closeSubpath();
        path = stroked(glass, line);
        QPainterPath base;
        base.moveTo(c + QPointF(-s * 0.15, s * 0.46));
        base.lineTo(c + QPointF(s * 0.15, s * 0.46));
        base.moveTo(c + QPointF(-s * 0.07, s * 0.6));
        base.lineTo(c + QPointF(s * 0.07, s * 0.6));
        path = path.united(stroked(base, line));
        break;
    }
    case Symbol::Door: {
        const QRectF frame(c.x() - s * 0.3, c.y() - s * 0.5, s * 0.6, s * 1.0);
        QPainterPath outline;
        outline.addRect(frame);
        path = stroked(outline, line * 0.8);
        // The leaf swings open towards the viewer, hinged on the left.
        QPainterPath leaf;
        leaf.moveTo(frame.topLeft());
        leaf.lineTo(frame.left() + s * 0.42, frame.top() - s * 0.1);
        leaf.lineTo(frame.left() + s * 0.42, frame.bottom() + s * 0.1);
        leaf.lineTo(frame.bottomLeft());
        leaf.closeSubpath();
        QPainterPath knob;
        knob.addEllipse(QPointF(frame.left() + s * 0.32, c.y() + s * 0.04), s * 0.06, s * 0.07);
        path = path.united(leaf).subtracted(knob);
        break;
    }
    case Symbol::ArrowLeft:
    case Symbol::ArrowRight: {
        const qreal d = symbol == Symbol::ArrowLeft ? -1.0 : 1.0;
        QPolygonF arrow;
        arrow << c + QPointF(d * s * 0.56, 0) << c + QPointF(d * s * 0.02, -s * 0.46)
              << c + QPointF(d * s * 0.02, -s * 0.2) << c + QPointF(-d * s * 0.5, -s * 0.2)
              << c + QPointF(-d * s * 0.5, s * 0.2) << c + QPointF(d * s * 0.02, s * 0.2)
              << c + QPointF(d * s * 0.02, s * 0.46);
        path.addPolygon(arrow);
        path.closeSubpath();
        break;
    }
    case Symbol::LetterT: {
        QPolygonF t;
        t << c + QPointF(-s * 0.46, -s * 0.5) << c + QPointF(s * 0.46, -s * 0.5)
          << c + QPointF(s * 0.46, -s * 0.26) << c + QPointF(s * 0.13, -s * 0.26)
          << c + QPointF(s * 0.13, s * 0.52) << c + QPointF(-s * 0.13, s * 0.52)
          << c + QPointF(-s * 0.13, -s * 0.26) << c + QPointF(-s * 0.46, -s * 0.26);
        path.addPolygon(t);
        path.closeSubpath();
        break;
    }
    case Symbol::Minimise: {
        QPolygonF t;
        t << c + QPointF(-s * 0.5, -s * 0.28) << c + QPointF(s * 0.5, -s * 0.28)
          << c + QPointF(0, s * 0.3);
        path.addPolygon(t);
        path.closeSubpath();
        break;
    }
    }
    return path;
}

void drawSymbol(QPainter &p, Symbol symbol, QPointF c, qreal r, const QColor *lit)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath path = symbolPath(symbol, c, r);
    if (lit) {
        QColor halo = *lit;
        for (qreal spread : {4.5, 2.5}) {
            halo.setAlpha(spread > 4 ? 55 : 110);
            p.strokePath(path, QPen(halo, spread, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        }
        p.fillPath(path, *lit);
    } else {
        p.fillPath(path.translated(0.6, 1.0), QColor(8, 20, 80, 150));
        p.fillPath(path, Qt::white);
    }
    p.restore();
}

} // namespace

const QList<ButtonArt> &buttons()
{
    static const QList<ButtonArt> list = {
        {QStringLiteral("Power"), {35, 32, 42, 53}, {42, 53}, Symbol::PowerRing, kRed, true},
        {QStringLiteral("btnRcd"), {192, 64, 44, 48}, {44, 47}, Symbol::Telephone, kYellow, true},
        {QStringLiteral("btnMdm"), {304, 64, 42, 45}, {42, 45}, Symbol::Bulb, kYellow, true},
        {QStringLiteral("btnClose"), {440, 34, 44, 53}, {44, 53}, Symbol::Door, kYellow, true},
        {QStringLiteral("btn5"), {480, 72, 29, 26}, {27, 25}, Symbol::Minimise, Qt::white, false},
        {QStringLiteral("brPrev"), {16, 304, 42, 45}, {42, 45}, Symbol::ArrowLeft, kYellow, true},
        {QStringLiteral("brNext"), {464, 304, 42, 45}, {42, 45}, Symbol::ArrowRight, kYellow, true},
        {QStringLiteral("brToday"), {255, 336, 42, 45}, {42, 45}, Symbol::LetterT, kYellow, true},
    };
    return list;
}

QImage skinBase()
{
    QImage image = canvas(kWidth, kHeight, kFace);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // Top band, with a paler ribbon running along inside its wave.
    const QPainterPath band = bandPath();
    QLinearGradient shade(0, 0, 0, 68);
    shade.setColorAt(0.0, kBandTop);
    shade.setColorAt(1.0, kBandLow);
    p.fillPath(band, shade);
    p.save();
    p.setClipPath(band);
    const QPainterPath ribbon = band.translated(0, -7).subtracted(band.translated(0, -12));
    p.fillPath(ribbon, QColor(190, 120, 240, 46));
    p.strokePath(band.translated(0, -1.0), QPen(QColor(kRim.red(), kRim.green(), kRim.blue(), 160), 1.6));
    p.restore();

    // The groove for the tip line.
    p.setRenderHint(QPainter::Antialiasing, false);
    const QRect groove(0, kGrooveTop, kWidth, kHeight - kGrooveTop);
    QLinearGradient dark(0, groove.top(), 0, groove.bottom());
    dark.setColorAt(0.0, QColor(34, 8, 54));
    dark.setColorAt(1.0, QColor(58, 18, 88));
    p.fillRect(groove, dark);
    p.fillRect(QRect(0, kGrooveTop, kWidth, 1), QColor(70, 16, 106));
    p.fillRect(QRect(0, kGrooveTop + 1, kWidth, 1), QColor(22, 4, 36));
    p.end();
    return image;
}

QImage background(const QImage &base)
{
    QImage image = base;
    QPainter p(&image);

    // Decorations stay off the visible area of every button, so what shows around a
    // ball is exactly its picture's own flat colour.
    QRegion free(image.rect());
    for (const ButtonArt &button : buttons())
        free -= QRect(button.picture.topLeft(), button.control);
    p.setClipRegion(free);

    sunken(p, QRect(56, 144, 408, 161));  // call list and receive log
    sunken(p, QRect(128, 112, 278, 20));  // modem chooser
    sunken(p, QRect(221, 312, 97, 22));   // day entry
    sunken(p, QRect(32, 352, 46, 30));    // help view

    // Window edge: light top and left, dark right and bottom.
    p.fillRect(QRect(0, 0, kClientWidth, 1), QColor(150, 84, 200));
    p.fillRect(QRect(0, 0, 1, kClientHeight), QColor(150, 84, 200));
    p.fillRect(QRect(kClientWidth - 1, 0, 1, kClientHeight), QColor(40, 8, 64));
    p.fillRect(QRect(0, kClientHeight - 1, kClientWidth, 1), QColor(40, 8, 64));
    p.end();
    return image;
}

QImage title(const QImage &background)
{
    QImage image = background.copy(0, 0, 233, 30);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(21);
    font.setBold(true);
    font.setItalic(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
    QPainterPath text;
    const QPointF origin(12, 22);
    text.addText(origin, font, QStringLiteral("Ringvane"));

    p.fillPath(text.translated(1.2, 1.6), QColor(24, 0, 44, 170));
    QLinearGradient fill(0, 5, 0, 24);
    fill.setColorAt(0.0, QColor(255, 255, 255));
    fill.setColorAt(1.0, QColor(214, 180, 255));
    p.fillPath(text, fill);

    // Ringing waves after the name.
    const qreal x = text.boundingRect().right() + 8;
    for (int i = 0; i < 3; ++i) {
        const qreal radius = 4 + i * 4;
        QColor wave(255, 226, 96, 230 - i * 50);
        p.setPen(QPen(wave, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(x - radius, 14 - radius, 2 * radius, 2 * radius), -50 * 16, 100 * 16);
    }
    p.end();
    return image;
}

QImage buttonFace(const QImage &base, const ButtonArt &button, bool down)
{
    QImage image = base.copy(button.picture);
    QPainter p(&image);
    const QPointF local(button.picture.width() / 2.0, button.picture.height() / 2.0);
    if (button.symbol == Symbol::Minimise) {
        // Only the visible part of the picture counts for centring.
        const QPointF c(button.control.width() / 2.0, button.control.height() / 2.0 + 0.5);
        drawSymbol(p, button.symbol, c, 12.0, nullptr);
        return image;
    }
    const qreal r = button.picture.width() >= 44 ? 19.5 : 18.5;
    const QPointF c(local.x(), std::min<qreal>(button.control.height(), button.picture.height()) / 2.0 - 1.0);
    drawBall(p, c, r, down);
    const QPointF symbolCentre = down ? c + QPointF(0, 0.6) : c;
    drawSymbol(p, button.symbol, symbolCentre, r, down ? &button.lit : nullptr);
    p.end();
    return image;
}

QImage splash()
{
    constexpr int w = 340, h = 298;
    QImage image = canvas(w, h, Qt::black);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0.0, QColor(22, 40, 120));
    sky.setColorAt(0.55, QColor(92, 132, 214));
    sky.setColorAt(0.82, QColor(226, 178, 230));
    p.fillRect(image.rect(), sky);

    // Sun, low and to the right.
    const QPointF sun(262, 70);
    QRadialGradient glow(sun, 80);
    glow.setColorAt(0.0, QColor(255, 244, 200, 230));
    glow.setColorAt(0.25, QColor(255, 214, 140, 120));
    glow.setColorAt(1.0, QColor(255, 200, 140, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(sun, 80, 80);
    p.setBrush(QColor(255, 248, 222));
    p.drawEllipse(sun, 20, 20);

    // Snow fields.
    QPainterPath far;
    far.moveTo(0, 222);
    far.cubicTo(70, 196, 140, 206, 200, 214);
    far.cubicTo(260, 222, 300, 200, 340, 206);
    far.lineTo(340, h);
    far.lineTo(0, h);
    p.fillPath(far, QColor(206, 214, 244));
    QPainterPath near;
    near.moveTo(0, 250);
    near.cubicTo(90, 226, 180, 262, 260, 244);
    near.cubicTo(300, 236, 320, 238, 340, 242);
    near.lineTo(340, h);
    near.lineTo(0, h);
    QLinearGradient snow(0, 230, 0, h);
    snow.setColorAt(0.0, QColor(255, 255, 255));
    snow.setColorAt(1.0, QColor(200, 210, 240));
    p.fillPath(near, snow);

    // Falling snow from a fixed sequence, so every run draws the same flakes.
    quint32 seed = 20021013;
    auto next = [&seed](int range) {
        seed = seed * 1664525u + 1013904223u;
        return int((seed >> 8) % quint32(range));
    };
    for (int i = 0; i < 140; ++i) {
        const QPointF at(next(w), next(h - 40));
        const qreal size = 0.7 + next(20) / 10.0;
        p.setBrush(QColor(255, 255, 255, 120 + next(130)));
        p.drawEllipse(at, size, size);
    }

    // The name.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(54);
    font.setBold(true);
    font.setItalic(true);
    QPainterPath name;
    name.addText(0, 0, font, QStringLiteral("Ringvane"));
    const QRectF box = name.boundingRect();
    name.translate((338 - box.width()) / 2 - box.left(), 148 - box.bottom());
    p.fillPath(name.translated(2.5, 3.5), QColor(16, 10, 60, 140));
    p.strokePath(name, QPen(QColor(60, 16, 110), 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QLinearGradient letters(0, 100, 0, 150);
    letters.setColorAt(0.0, QColor(255, 255, 255));
    letters.setColorAt(1.0, kHighlight);
    p.fillPath(name, letters);

    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(14);
    small.setLetterSpacing(QFont::AbsoluteSpacing, 2.0);
    p.setFont(small);
    p.setPen(QColor(255, 255, 255, 230));
    p.drawText(QRectF(0, 156, 338, 20), Qt::AlignHCenter | Qt::AlignVCenter,
               QStringLiteral("caller ID monitor"));
    p.end();
    return image;
}

QImage blockedMark(int pixels)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = pixels;
    const QPointF c(s / 2.0, s / 2.0);
    const qreal r = s / 2.0 - 0.5;

    // Lit from above like the buttons' balls, so it sits in the skin rather than on it.
    QRadialGradient body(c + QPointF(0, -r * 0.5), r * 1.6);
    body.setColorAt(0.0, kRed.lighter(130));
    body.setColorAt(0.6, kRed);
    body.setColorAt(1.0, kRed.darker(150));
    p.setBrush(body);
    p.setPen(QPen(QColor(110, 10, 20), std::max(1.0, s / 16.0)));
    p.drawEllipse(c, r - 0.5, r - 0.5);

    // The handset laid down, cups turned down: a bar across the disc at list size.
    QPainterPath handset;
    const QRectF grip(c.x() - s * 0.3, c.y() - s * 0.16, s * 0.6, s * 0.2);
    handset.addRoundedRect(grip, s * 0.06, s * 0.06);
    for (qreal side : {-1.0, 1.0}) {
        QPainterPath cup;
        cup.addRoundedRect(QRectF(c.x() + side * s * 0.26 - s * 0.1, c.y() - s * 0.12, s * 0.2, s * 0.28),
                           s * 0.07, s * 0.07);
        handset = handset.united(cup);
    }
    p.fillPath(handset.translated(0.3, 0.6), QColor(80, 0, 10, 150));
    p.fillPath(handset, Qt::white);
    p.end();
    return image;
}

QImage mockup(const QImage &base, const QImage &background, bool buttonsDown)
{
    QImage window = background.copy(0, 0, kClientWidth, kClientHeight);
    QPainter p(&window);
    p.drawImage(0, 0, title(background));
    for (const ButtonArt &button : buttons()) {
        const QImage face = buttonFace(base, button, buttonsDown);
        p.drawImage(button.picture.topLeft(), face.copy(QRect(QPoint(0, 0), button.control)));
    }
    QFont song(QStringLiteral("WenQuanYi Zen Hei"));
    song.setPixelSize(14);
    p.fillRect(QRect(56, 145, 408, 156), Qt::white);
    p.setFont(song);
    p.setPen(Qt::black);
    p.drawText(QPoint(60, 160), QStringLiteral("001.[2002/10/13 14:25] 5551234"));
    p.drawText(QPoint(60, 176), QStringLiteral("002.[2002/10/13 15:02] 0215550199"));
    p.fillRect(QRect(128, 112, 278, 20), Qt::white);
    p.fillRect(QRect(390, 114, 14, 16), QColor(212, 208, 200));
    song.setPixelSize(12);
    p.setFont(song);
    p.setPen(QColor(0, 0, 64));
    p.drawText(QPoint(131, 127), QStringLiteral("Standard 56000 bps Modem"));
    p.fillRect(QRect(221, 312, 97, 22), Qt::white);
    QFont sans(QStringLiteral("DejaVu Sans"));
    sans.setPixelSize(13);
    sans.setBold(true);
    p.setFont(sans);
    p.setPen(QColor(128, 0, 0));
    p.drawText(QRect(221, 312, 97, 22), Qt::AlignCenter, QStringLiteral("2002/10/13"));
    p.fillRect(QRect(32, 352, 46, 30), Qt::white);
    p.setPen(QColor(255, 128, 128));
    p.drawText(QRect(120, 392, 374, 15), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("        System initialization..."));
    p.end();
    return window;
}

} // namespace skinart

#include "tools/skingen/IconArt.h"

#include <QColor>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>

namespace iconart {

namespace {

// The design is laid out on the 32-unit grid of the window icon.
constexpr qreal kGrid = 32.0;

struct Shape {
    enum Kind { Polygon, Line } kind;
    QList<QPointF> points;
    QColor fill;     // invalid: not filled
    QColor stroke;   // invalid: not outlined
    qreal width = 1.0;
};

Shape polygon(QList<QPointF> points, QColor fill, QColor stroke = {})
{
    return {Shape::Polygon, std::move(points), fill, stroke, 1.0};
}

Shape rect(qreal x, qreal y, qreal w, qreal h, QColor fill, QColor stroke = {})
{
    return polygon({{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}, fill, stroke);
}

Shape line(QPointF from, QPointF to, QColor stroke, qreal width = 1.0)
{
    return {Shape::Line, {from, to}, {}, stroke, width};
}

QList<Shape> design()
{
    const QColor black(0, 0, 0), white(255, 255, 255), charcoal(56, 52, 66), grey(112, 108, 124);
    const QColor sky(150, 190, 255), lcdDark(40, 96, 64), lcd(150, 230, 160), red(230, 40, 40);
    const QColor purple(170, 68, 223), deepPurple(92, 28, 128), lilac(214, 170, 246);

    QList<Shape> shapes;
    // Shadow under the set.
    shapes << rect(2, 28.8, 28, 1.4, charcoal);
    // Body: a sloping desk set, purple like the skin, lit from the top left.
    shapes << polygon({{5.5, 13.5}, {26.5, 13.5}, {30.5, 28.5}, {1.5, 28.5}}, purple, black);
    shapes << line({6.5, 14.6}, {25.5, 14.6}, lilac, 0.8);
    shapes << line({5.6, 15.2}, {2.6, 27.4}, lilac, 0.8);
    shapes << line({2.6, 27.4}, {29.4, 27.4}, deepPurple, 0.8);
    // Display with the caller's number.
    shapes << rect(7.5, 16.5, 17, 4, lcd, black);
    for (const qreal x : {9.0, 12.0, 15.0})
        shapes << rect(x, 18, 2, 1, lcdDark);
    shapes << rect(18, 18, 4, 1, lcdDark);
    // Keypad, three by three, the last key red.
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            shapes << rect(9 + col * 5, 22 + row * 2, 3, 1, row == 2 && col == 2 ? red : white);
    // Handset resting on top: two cups joined by a grip.
    shapes << polygon({{2.5, 10.5}, {5.5, 6.5}, {26.5, 6.5}, {29.5, 10.5}, {29.5, 14.5},
                       {22.5, 14.5}, {21.5, 10.5}, {10.5, 10.5}, {9.5, 14.5}, {2.5, 14.5}},
                      charcoal, black);
    shapes << line({6.5, 7.6}, {25.5, 7.6}, grey, 0.8);
    shapes << line({4.4, 10.6}, {3.6, 11.6}, grey, 0.8);
    shapes << line({27.6, 10.6}, {28.4, 11.6}, grey, 0.8);
    shapes << line({7.2, 7.6}, {8.8, 7.6}, sky, 0.8);
    return shapes;
}

QString number(qreal value)
{
    return QString::number(value, 'g', 6);
}

QString colour(const QColor &c)
{
    return c.isValid() ? c.name(QColor::HexRgb) : QStringLiteral("none");
}

} // namespace

QImage iconAt(int pixels)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(pixels / kGrid, pixels / kGrid);
    for (const Shape &shape : design()) {
        QPen pen(shape.stroke.isValid() ? QPen(shape.stroke, shape.width) : QPen(Qt::NoPen));
        pen.setJoinStyle(Qt::RoundJoin);
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        if (shape.kind == Shape::Line) {
            p.drawLine(shape.points[0], shape.points[1]);
            continue;
        }
        p.setBrush(shape.fill.isValid() ? QBrush(shape.fill) : QBrush(Qt::NoBrush));
        p.drawPolygon(shape.points.constData(), int(shape.points.size()));
    }
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QByteArray iconSvg()
{
    QString svg = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 32 32\">\n"
        "  <title>Ringvane</title>\n"
        "  <g stroke-linejoin=\"round\" stroke-linecap=\"round\">\n");
    for (const Shape &shape : design()) {
        QStringList points;
        for (const QPointF &point : shape.points)
            points << number(point.x()) + QLatin1Char(',') + number(point.y());
        const QString stroke = shape.stroke.isValid()
            ? QStringLiteral(" stroke=\"%1\" stroke-width=\"%2\"").arg(colour(shape.stroke), number(shape.width))
            : QString();
        if (shape.kind == Shape::Line)
            svg += QStringLiteral("    <polyline points=\"%1\" fill=\"none\"%2/>\n")
                       .arg(points.join(QLatin1Char(' ')), stroke);
        else
            svg += QStringLiteral("    <polygon points=\"%1\" fill=\"%2\"%3/>\n")
                       .arg(points.join(QLatin1Char(' ')), colour(shape.fill), stroke);
    }
    svg += QStringLiteral("  </g>\n</svg>\n");
    return svg.toUtf8();
}

} // namespace iconart

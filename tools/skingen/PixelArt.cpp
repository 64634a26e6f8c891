#include "tools/skingen/PixelArt.h"

#include <QPainter>
#include <QPainterPath>

#include <array>
#include <limits>

namespace pixelart {

namespace {

// Maps a drawing onto a small colour table: mostly transparent pixels become entry 0,
// the others take the nearest opaque entry. No dithering, so the result is exact and
// repeatable.
QImage toIndexed(const QImage &argb, const QList<QRgb> &table)
{
    QImage out(argb.size(), QImage::Format_Indexed8);
    out.setColorTable(table);
    out.setDotsPerMeterX(argb.dotsPerMeterX());
    out.setDotsPerMeterY(argb.dotsPerMeterY());
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb p = argb.pixel(x, y);
            int best = 0;
            if (qAlpha(p) >= 128) {
                int bestDistance = std::numeric_limits<int>::max();
                for (int i = 1; i < table.size(); ++i) {
                    const int dr = qRed(p) - qRed(table[i]);
                    const int dg = qGreen(p) - qGreen(table[i]);
                    const int db = qBlue(p) - qBlue(table[i]);
                    const int distance = dr * dr + dg * dg + db * db;
                    if (distance < bestDistance) {
                        bestDistance = distance;
                        best = i;
                    }
                }
            }
            out.setPixel(x, y, uint(best));
        }
    }
    return out;
}

QImage transparentCanvas()
{
    QImage canvas(32, 32, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    return canvas;
}

} // namespace

QImage handPointer()
{
    // A gloved pointing hand, finger tip at (7, 1): the hot spot the pointer should use.
    static const std::array<const char *, 23> rows = {
        "......KK",
        ".....KWWK",
        ".....KWWK",
        ".....KWWK",
        ".....KWWK",
        ".....KWWKKK",
        ".....KWWKWWKKK",
        ".....KWWKWWKWWKK",
        ".....KWWKWWKWWKWWK",
        ".KK..KWWKWWKWWKWSK",
        "KWWK.KWWWWWWWWWWSK",
        "KWWWKKWWWWWWWWWWSK",
        ".KWWWKWWWWWWWWWWSK",
        ".KWWWWWWWWWWWWWWSK",
        "..KWWWWWWWWWWWWWSK",
        "..KWWWWWWWWWWWWWSK",
        "...KWWWWWWWWWWWSK",
        "...KWWWWWWWWWWWSK",
        "....KWWWWWWWWWWSK",
        "....KWWWWWWWWWWSK",
        "....KKKKKKKKKKKKK",
        "....KSSSSSSSSSSDK",
        "....KKKKKKKKKKKKK",
    };
    const QList<QRgb> table = {qRgba(0, 0, 0, 0), qRgb(0, 0, 0), qRgb(255, 255, 255),
                               qRgb(192, 192, 192), qRgb(128, 128, 128)};
    QImage canvas = transparentCanvas();
    QPainter painter(&canvas);
    const QPoint origin(1, 1);
    for (int y = 0; y < int(rows.size()); ++y) {
        for (int x = 0; rows[y][x] != '\0'; ++x) {
            QColor colour;
            switch (rows[y][x]) {
            case 'K': colour = QColor(table[1]); break;
            case 'W': colour = QColor(table[2]); break;
            case 'S': colour = QColor(table[3]); break;
            case 'D': colour = QColor(table[4]); break;
            default: continue;
            }
            painter.fillRect(QRect(origin + QPoint(x, y), QSize(1, 1)), colour);
        }
    }
    painter.end();
    return toIndexed(canvas, table);
}

QImage windowIcon()
{
    enum Ink { Clear, Black, White, Charcoal, Grey, Silver, DeepBlue, Blue, Sky,
               LcdDark, Lcd, Red, Purple, DeepPurple, Yellow, Lilac };
    const QList<QRgb> table = {
        qRgba(0, 0, 0, 0),    qRgb(0, 0, 0),       qRgb(255, 255, 255), qRgb(56, 52, 66),
        qRgb(112, 108, 124),  qRgb(196, 194, 206), qRgb(28, 40, 112),   qRgb(56, 96, 200),
        qRgb(150, 190, 255),  qRgb(40, 96, 64),    qRgb(150, 230, 160), qRgb(230, 40, 40),
        qRgb(170, 68, 223),   qRgb(92, 28, 128),   qRgb(255, 220, 60),  qRgb(214, 170, 246)};
    auto ink = [&table](Ink i) { return QColor(table[i]); };

    QImage canvas = transparentCanvas();
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing, false);

    // Body: a sloping desk set, purple like the skin.
    QPolygon body;
    body << QPoint(5, 13) << QPoint(26, 13) << QPoint(30, 28) << QPoint(1, 28);
    p.setPen(ink(Black));
    p.setBrush(ink(Purple));
    p.drawPolygon(body);
    p.setPen(ink(Lilac));
    p.drawLine(6, 14, 25, 14);
    p.drawLine(5, 15, 2, 27);
    p.setPen(ink(DeepPurple));
    p.drawLine(2, 27, 29, 27);
    p.fillRect(QRect(1, 29, 30, 1), ink(Black));
    p.fillRect(QRect(2, 29, 28, 1), ink(Charcoal));

    // Display.
    p.setPen(ink(Black));
    p.setBrush(ink(Lcd));
    p.drawRect(QRect(7, 16, 17, 4));
    p.fillRect(QRect(9, 18, 2, 1), ink(LcdDark));
    p.fillRect(QRect(12, 18, 2, 1), ink(LcdDark));
    p.fillRect(QRect(15, 18, 2, 1), ink(LcdDark));
    p.fillRect(QRect(18, 18, 4, 1), ink(LcdDark));

    // Keypad, three by three, the last key red.
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            const QRect key(9 + col * 5, 22 + row * 2, 3, 1);
            p.fillRect(key, row == 2 && col == 2 ? ink(Red) : ink(White));
        }
    }

    // Handset resting on top: two cups joined by a grip.
    p.setPen(ink(Black));
    p.setBrush(ink(Charcoal));
    QPolygon handset;
    handset << QPoint(2, 10) << QPoint(5, 6) << QPoint(26, 6) << QPoint(29, 10) << QPoint(29, 14)
            << QPoint(22, 14) << QPoint(21, 10) << QPoint(10, 10) << QPoint(9, 14) << QPoint(2, 14);
    p.drawPolygon(handset);
    p.setPen(ink(Grey));
    p.drawLine(6, 7, 25, 7);
    p.drawLine(4, 10, 3, 11);
    p.drawLine(27, 10, 28, 11);
    p.setPen(ink(Sky));
    p.drawPoint(7, 7);
    p.drawPoint(8, 7);
    p.end();
    return toIndexed(canvas, table);
}

} // namespace pixelart

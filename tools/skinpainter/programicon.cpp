// The program icon: a pale lilac teapot with a small figure in a cap looking out of its top.

#include "pictures.h"
#include "skinkit.h"

#include <QDataStream>
#include <QIODevice>
#include <QLinearGradient>
#include <QRadialGradient>

using namespace Qt::StringLiterals;

namespace skin {

namespace {

// The drawing is laid out on a 64-unit square and scaled to the box.
constexpr qreal grid = 64.0;

const QColor outline(112, 86, 160);
const QColor lilacLight(241, 234, 251);
const QColor lilac(214, 196, 240);
const QColor lilacDeep(184, 158, 224);
const QColor skinTone(248, 212, 176);
const QColor skinEdge(170, 116, 76);

void paintPot(QPainter &p)
{
    const QPen edge(outline, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);

    // Handle, as a thick bent bar with an edge of its own.
    QPainterPath handle;
    handle.moveTo(16, 33);
    handle.cubicTo(4, 30, 3, 51, 17, 49);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(outline, 7.0, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(handle);
    p.setPen(QPen(lilacDeep, 4.0, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(handle);

    QPainterPath spout;
    spout.moveTo(45, 42);
    spout.cubicTo(52, 41, 53, 31, 59, 25);
    spout.lineTo(62.5, 27.5);
    spout.cubicTo(58, 34, 58, 47, 46, 51);
    spout.closeSubpath();
    QLinearGradient spoutFill(45, 25, 62, 50);
    spoutFill.setColorAt(0.0, lilacLight);
    spoutFill.setColorAt(1.0, lilacDeep);
    p.setPen(edge);
    p.setBrush(spoutFill);
    p.drawPath(spout);

    p.setBrush(lilacDeep);
    p.drawRoundedRect(QRectF(19, 52, 24, 4), 1.5, 1.5);

    QPainterPath body;
    body.moveTo(18, 29);
    body.cubicTo(7, 33, 7, 51, 20, 54);
    body.lineTo(42, 54);
    body.cubicTo(55, 51, 55, 33, 44, 29);
    body.closeSubpath();
    QRadialGradient bodyFill(QPointF(24, 36), 30);
    bodyFill.setColorAt(0.0, lilacLight);
    bodyFill.setColorAt(0.55, lilac);
    bodyFill.setColorAt(1.0, lilacDeep);
    p.setBrush(bodyFill);
    p.drawPath(body);

    // A painted band round the belly and a gleam on the left.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(160, 128, 212), 1.4, Qt::SolidLine, Qt::RoundCap));
    QPainterPath band;
    band.moveTo(12.5, 44);
    band.quadTo(31, 49, 49.5, 44);
    p.drawPath(band);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 170));
    p.drawEllipse(QRectF(15, 33, 4.5, 8));
}

void paintOpening(QPainter &p)
{
    p.setPen(QPen(outline, 1.4));
    p.setBrush(QColor(92, 70, 138));
    p.drawEllipse(QPointF(31, 29), 13, 3.6);
}

void paintFigure(QPainter &p)
{
    const QPointF head(31, 22);
    p.setPen(QPen(skinEdge, 1.1));
    p.setBrush(skinTone);
    p.drawEllipse(head, 8, 8);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(236, 120, 120, 110));
    p.drawEllipse(QPointF(25.5, 25.5), 1.8, 1.3);
    p.drawEllipse(QPointF(36.5, 25.5), 1.8, 1.3);
    p.setBrush(QColor(40, 30, 40));
    p.drawEllipse(QPointF(28, 22.8), 1.2, 1.6);
    p.drawEllipse(QPointF(34, 22.8), 1.2, 1.6);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(28.4, 22.2), 0.45, 0.45);
    p.drawEllipse(QPointF(34.4, 22.2), 0.45, 0.45);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(120, 60, 50), 0.9, Qt::SolidLine, Qt::RoundCap));
    QPainterPath smile;
    smile.moveTo(29.5, 26.3);
    smile.quadTo(31, 27.4, 32.5, 26.3);
    p.drawPath(smile);

    // The cap: a dome with a visor to the right and a button on top.
    const QColor capEdge(128, 30, 28);
    QPainterPath dome;
    dome.moveTo(22.6, 20);
    dome.arcTo(QRectF(22.6, 11.6, 16.8, 16.8), 180, -180);
    dome.closeSubpath();
    QLinearGradient capFill(31, 11, 31, 20);
    capFill.setColorAt(0.0, QColor(244, 104, 88));
    capFill.setColorAt(1.0, QColor(206, 48, 44));
    p.setPen(QPen(capEdge, 1.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(capFill);
    p.drawPath(dome);
    QPainterPath visor;
    visor.moveTo(36, 19.2);
    visor.quadTo(45, 17.6, 46, 20.2);
    visor.quadTo(41, 21.6, 35, 20.4);
    visor.closeSubpath();
    p.setBrush(QColor(190, 40, 38));
    p.drawPath(visor);
    p.setBrush(QColor(250, 214, 92));
    p.drawEllipse(QPointF(31, 11.8), 1.3, 1.3);
}

void paintHands(QPainter &p)
{
    // Two small hands holding the near rim.
    p.setPen(QPen(skinEdge, 1.0));
    p.setBrush(skinTone);
    p.drawEllipse(QPointF(22, 30.2), 2.6, 2.2);
    p.drawEllipse(QPointF(40, 30.2), 2.6, 2.2);
}

} // namespace

void paintTeapot(QPainter &painter, const QRectF &box, bool whiteGround)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (whiteGround)
        painter.fillRect(box, Qt::white);
    painter.translate(box.topLeft());
    painter.scale(box.width() / grid, box.height() / grid);
    if (whiteGround) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(120, 110, 150, 40));
        painter.drawEllipse(QRectF(13, 54, 38, 6));
    }
    paintPot(painter);
    paintOpening(painter);
    paintFigure(painter);
    paintHands(painter);
    painter.restore();
}

QImage programIcon(int size)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        paintTeapot(painter, QRectF(0, 0, size, size), true);
    }
    return image.convertToFormat(QImage::Format_RGB888);
}

QImage themeIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        paintTeapot(painter, QRectF(0, 0, size, size), false);
    }
    return image.convertToFormat(QImage::Format_ARGB32);
}

QByteArray icoFile(const QImage &icon32)
{
    constexpr int side = 32;
    constexpr quint32 rowBytes = side * 3;             // 96: already a multiple of four
    constexpr quint32 maskRowBytes = 4;                // 32 bits, padded to four bytes
    constexpr quint32 headerBytes = 40;                // BITMAPINFOHEADER
    constexpr quint32 pixelBytes = rowBytes * side;    // 3072
    constexpr quint32 maskBytes = maskRowBytes * side; // 128
    constexpr quint32 imageBytes = headerBytes + pixelBytes + maskBytes;
    constexpr quint32 imageOffset = 6 + 16; // ICONDIR and its one entry

    if (icon32.size() != QSize(side, side))
        throw PaintError(u"the .ico needs a 32 x 32 picture"_s);
    const QImage rgb = icon32.convertToFormat(QImage::Format_RGB888);

    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    // ICONDIR
    out << quint16(0) << quint16(1) << quint16(1);
    // ICONDIRENTRY
    out << quint8(side) << quint8(side) << quint8(0) << quint8(0) << quint16(1) << quint16(24)
        << imageBytes << imageOffset;
    // BITMAPINFOHEADER: the height counts the colour rows and the mask rows.
    out << headerBytes << qint32(side) << qint32(2 * side) << quint16(1) << quint16(24)
        << quint32(0) << quint32(pixelBytes + maskBytes) << qint32(0) << qint32(0) << quint32(0)
        << quint32(0);
    // Colour rows, bottom row first, blue-green-red.
    for (int y = side - 1; y >= 0; --y) {
        const uchar *row = rgb.constScanLine(y);
        for (int x = 0; x < side; ++x)
            out << quint8(row[3 * x + 2]) << quint8(row[3 * x + 1]) << quint8(row[3 * x]);
    }
    // AND mask: all zero, every pixel opaque.
    for (quint32 i = 0; i < maskBytes; ++i)
        out << quint8(0);

    if (quint32(bytes.size()) != imageOffset + imageBytes)
        throw PaintError(u"the .ico came out %1 bytes long"_s.arg(bytes.size()));
    return bytes;
}

} // namespace skin

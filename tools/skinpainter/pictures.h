#pragma once

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QSize>
#include <QString>

#include <functional>
#include <vector>

namespace skin {

// One skin picture: its file name without extension, its size in pixels at 1x, and how to paint
// it in those pixel units; the painter is scaled for the 2x copy.
struct Picture
{
    QString name;
    QSize size;
    std::function<void(QPainter &)> paint;
};

std::vector<Picture> mainWindowPictures();
std::vector<Picture> noticePictures();

// The program's teapot, drawn into `box`; without the white ground it can sit on any colour.
void paintTeapot(QPainter &painter, const QRectF &box, bool whiteGround);
// The program icon at `size` pixels square, opaque RGB.
QImage programIcon(int size);
// The teapot alone at `size` pixels square, on a transparent ground, for desktop themes.
QImage themeIcon(int size);
// A Windows .ico holding one 32 x 32, 24-bit image with an all-opaque mask.
QByteArray icoFile(const QImage &icon32);

} // namespace skin

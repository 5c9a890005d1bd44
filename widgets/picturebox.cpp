#include "picturebox.h"

#include <QPainter>

PictureBox::PictureBox(QWidget *parent) : QLabel(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setScaledContents(false);
    setFocusPolicy(Qt::NoFocus);
    // A press on a picture box belongs to it: it never reaches the window beneath as a drag.
    setAttribute(Qt::WA_NoMousePropagation);
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    // Only keyboard navigation gives a picture box focus, so the ring never shows for the mouse.
    if (hasFocus()) {
        QPainter painter(this);
        QPen pen(QColor(255, 255, 255), 1, Qt::DotLine);
        painter.setPen(pen);
        painter.drawRect(rect().adjusted(1, 1, -2, -2));
        pen.setColor(QColor(20, 30, 60));
        pen.setDashOffset(1);
        painter.setPen(pen);
        painter.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

#include "picturebox.h"

#include <QFocusEvent>
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
    if (m_keyboardFocus && hasFocus()) {
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

void PictureBox::focusInEvent(QFocusEvent *event)
{
    // The ring marks where Tab has led the user; focus a window hands out on activation does
    // not draw it over the skin.
    const Qt::FocusReason reason = event->reason();
    m_keyboardFocus = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason;
    QLabel::focusInEvent(event);
    update();
}

void PictureBox::focusOutEvent(QFocusEvent *event)
{
    m_keyboardFocus = false;
    QLabel::focusOutEvent(event);
    update();
}

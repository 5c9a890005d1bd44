#include "widgets/picturebox.h"

#include <QFileInfo>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QPainter>

namespace Pinmark {

PictureBox::PictureBox(QWidget *parent) : QLabel(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setScaledContents(false);
    setFocusPolicy(Qt::NoFocus);
    // A press on a picture box belongs to it: it never reaches the window beneath as a drag.
    setAttribute(Qt::WA_NoMousePropagation);
}

QPixmap loadSkinPicture(const QString &path)
{
    if (qApp && qApp->devicePixelRatio() > 1.5) {
        const QFileInfo file(path);
        const QString doubled = file.path() + QLatin1Char('/') + file.completeBaseName() +
                                QStringLiteral("@2x.") + file.suffix();
        QPixmap sharp(doubled);
        if (!sharp.isNull()) {
            sharp.setDevicePixelRatio(2.0);
            return sharp;
        }
    }
    return QPixmap(path);
}

void PictureBox::setPicture(const QString &path)
{
    m_picture = path;
    setPixmap(loadSkinPicture(path));
}

bool focusRingWanted(const QFocusEvent *event)
{
    const Qt::FocusReason reason = event->reason();
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason;
}

void drawFocusRing(QPainter &painter, const QRect &rect)
{
    QPen pen(QColor(255, 255, 255), 1, Qt::DotLine);
    painter.setPen(pen);
    painter.drawRect(rect.adjusted(1, 1, -2, -2));
    pen.setColor(QColor(20, 30, 60));
    pen.setDashOffset(1);
    painter.setPen(pen);
    painter.drawRect(rect.adjusted(2, 2, -3, -3));
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (m_keyboardFocus && hasFocus()) {
        QPainter painter(this);
        drawFocusRing(painter, rect());
    }
}

void PictureBox::focusInEvent(QFocusEvent *event)
{
    m_keyboardFocus = focusRingWanted(event);
    QLabel::focusInEvent(event);
    update();
}

void PictureBox::focusOutEvent(QFocusEvent *event)
{
    m_keyboardFocus = false;
    QLabel::focusOutEvent(event);
    update();
}

} // namespace Pinmark

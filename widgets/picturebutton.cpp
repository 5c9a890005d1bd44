#include "widgets/picturebutton.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace Pinmark {

PictureButton::PictureButton(QWidget *parent) : PictureBox(parent)
{
    // Tab reaches the button; a mouse click does not take focus.
    setFocusPolicy(Qt::TabFocus);
}

void PictureButton::setHolders(PictureBox *pressedHolder, PictureBox *releasedHolder)
{
    m_pressedHolder = pressedHolder;
    m_releasedHolder = releasedHolder;
}

void PictureButton::showPressed()
{
    // The holder's own pixmap is shared, not copied: the box shows exactly its picture.
    if (m_pressedHolder)
        setPixmap(m_pressedHolder->pixmap());
    Q_EMIT pressed();
}

void PictureButton::showReleased()
{
    if (m_releasedHolder)
        setPixmap(m_releasedHolder->pixmap());
    Q_EMIT released();
}

void PictureButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_leftDown = true;
    showPressed();
    event->accept();
}

void PictureButton::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = event->button() == Qt::LeftButton && m_leftDown &&
                       rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_leftDown = false;
    showReleased();
    event->accept();
    if (click)
        Q_EMIT clicked();
}

void PictureButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Qt delivers the second press of a double-click as this event, and its default handling
    // is another press: that would click twice. The user still sees the button go down.
    showPressed();
    event->accept();
}

void PictureButton::activate()
{
    showPressed();
    showReleased();
    Q_EMIT clicked();
}

bool PictureButton::isActivationKey(int key)
{
    return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
}

void PictureButton::keyPressEvent(QKeyEvent *event)
{
    if (!isActivationKey(event->key())) {
        PictureBox::keyPressEvent(event);
        return;
    }
    if (!event->isAutoRepeat() && !m_keyDown) {
        m_keyDown = true;
        showPressed();
    }
    event->accept();
}

void PictureButton::keyReleaseEvent(QKeyEvent *event)
{
    if (!isActivationKey(event->key()) || event->isAutoRepeat() || !m_keyDown) {
        PictureBox::keyReleaseEvent(event);
        return;
    }
    m_keyDown = false;
    showReleased();
    event->accept();
    Q_EMIT clicked();
}

void PictureButton::focusOutEvent(QFocusEvent *event)
{
    // Focus taken away between key press and release: no click, but never leave it pressed.
    if (m_keyDown) {
        m_keyDown = false;
        showReleased();
    }
    PictureBox::focusOutEvent(event);
}

void PictureButton::hideEvent(QHideEvent *event)
{
    if (m_leftDown || m_keyDown) {
        m_leftDown = false;
        m_keyDown = false;
        showReleased();
    }
    PictureBox::hideEvent(event);
}

} // namespace Pinmark

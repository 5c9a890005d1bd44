#include "widgets/picturebutton.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace Pinmark {

namespace {

bool isActivationKey(int key)
{
    return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Qt's button answers Space on every desktop but Enter only on some: Enter and Return reach it
// as Space.
QKeyEvent asSpace(const QKeyEvent *event)
{
    return QKeyEvent(event->type(), Qt::Key_Space, event->modifiers(), QStringLiteral(" "),
                     event->isAutoRepeat(), ushort(event->count()));
}

// Qt's button repaints itself at once on a press, and again before it announces a click. In
// a window whose web view is composed through OpenGL that is a whole frame, drawn before the
// click's action (a code on the clipboard) runs. With this in place the new picture comes with
// the next frame instead, as every other change does.
class NextFrameRepaint
{
public:
    explicit NextFrameRepaint(QWidget *widget) : m_widget(widget)
    {
        m_widget->setUpdatesEnabled(false);
    }
    ~NextFrameRepaint()
    {
        if (m_widget) // the action may have closed the window that held the button
            m_widget->setUpdatesEnabled(true);
    }
    NextFrameRepaint(const NextFrameRepaint &) = delete;
    NextFrameRepaint &operator=(const NextFrameRepaint &) = delete;

private:
    QPointer<QWidget> m_widget;
};

} // namespace

PictureButton::PictureButton(QWidget *parent) : QAbstractButton(parent)
{
    // Tab reaches the button; a mouse click does not take focus.
    setFocusPolicy(Qt::TabFocus);
    // A press on the button belongs to it: it never reaches the window beneath as a drag.
    setAttribute(Qt::WA_NoMousePropagation);
    // The picture follows every press and release, from the mouse, the keyboard, click() or a
    // screen reader; connected first, it changes before anyone else hears of them.
    connect(this, &QAbstractButton::pressed, this, [this] { showPictureOf(m_pressedHolder); });
    connect(this, &QAbstractButton::released, this, [this] { showPictureOf(m_releasedHolder); });
}

void PictureButton::setPicture(const QString &path)
{
    m_picture = path;
    setPixmap(loadSkinPicture(path));
}

void PictureButton::setHolders(PictureBox *pressedHolder, PictureBox *releasedHolder)
{
    m_pressedHolder = pressedHolder;
    m_releasedHolder = releasedHolder;
}

void PictureButton::showPictureOf(const PictureBox *holder)
{
    // The holder's own pixmap is shared, not copied: the button shows exactly its picture.
    if (holder)
        setPixmap(holder->pixmap());
}

void PictureButton::setPixmap(const QPixmap &pixmap)
{
    m_pixmap = pixmap;
    update();
}

void PictureButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_pixmap);
    if (m_keyboardFocus && hasFocus())
        drawFocusRing(painter, rect());
}

void PictureButton::mousePressEvent(QMouseEvent *event)
{
    // Qt's button takes a left press. Any other press shows the pressed picture all the same.
    const NextFrameRepaint deferred(this);
    QAbstractButton::mousePressEvent(event);
    if (!event->isAccepted())
        Q_EMIT pressed();
    event->accept();
}

void PictureButton::mouseReleaseEvent(QMouseEvent *event)
{
    // Qt's button clicks a left press released inside, after its released signal. Any other
    // release (another mouse button, outside the button, the end of a double-click) only shows
    // the released picture.
    const NextFrameRepaint deferred(this);
    QAbstractButton::mouseReleaseEvent(event);
    if (!event->isAccepted())
        Q_EMIT released();
    event->accept();
}

void PictureButton::mouseMoveEvent(QMouseEvent *event)
{
    // Qt's button lets go when the pointer leaves it and presses again when it comes back. Here
    // the picture follows press and release only, and the release alone decides the click.
    QWidget::mouseMoveEvent(event);
}

void PictureButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Qt delivers the second press of a double-click as this event, and its default handling
    // is another press: that would click twice. The user still sees the button go down.
    Q_EMIT pressed();
    event->accept();
}

void PictureButton::keyPressEvent(QKeyEvent *event)
{
    if (!isActivationKey(event->key())) {
        // Arrows and Escape are the window's, as on any picture: Qt's button would move the
        // focus on the arrows and let go on Escape.
        QWidget::keyPressEvent(event);
        return;
    }
    if (event->isAutoRepeat()) {
        event->accept(); // a key held down presses once
        return;
    }
    QKeyEvent space = asSpace(event);
    const NextFrameRepaint deferred(this);
    QAbstractButton::keyPressEvent(&space);
    event->setAccepted(space.isAccepted());
}

void PictureButton::keyReleaseEvent(QKeyEvent *event)
{
    if (!isActivationKey(event->key())) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    // The release of a key that pressed the button clicks it, after its released signal.
    QKeyEvent space = asSpace(event);
    const NextFrameRepaint deferred(this);
    QAbstractButton::keyReleaseEvent(&space);
    event->setAccepted(space.isAccepted());
}

void PictureButton::focusInEvent(QFocusEvent *event)
{
    m_keyboardFocus = focusRingWanted(event);
    QAbstractButton::focusInEvent(event);
}

void PictureButton::focusOutEvent(QFocusEvent *event)
{
    // Focus taken away between key press and release: Qt's button lets go, with no click.
    m_keyboardFocus = false;
    QAbstractButton::focusOutEvent(event);
}

void PictureButton::hideEvent(QHideEvent *event)
{
    // Hidden while held, it lets go too: the released picture, no click.
    if (isDown()) {
        setDown(false);
        Q_EMIT released();
    }
    QAbstractButton::hideEvent(event);
}

} // namespace Pinmark

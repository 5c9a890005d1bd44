#include "app/focusreturn.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace Pinmark {

namespace {

bool isBoxWindow(const QObject *object)
{
    if (!object->isWidgetType())
        return false;
    const auto *widget = static_cast<const QWidget *>(object);
    const Qt::WindowType type = widget->windowType();
    return widget->isWindow() && type != Qt::Popup && type != Qt::ToolTip;
}

} // namespace

FocusReturn::FocusReturn(QObject *parent) : QObject(parent)
{
    qApp->installEventFilter(this);
}

bool FocusReturn::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::Show || type == QEvent::Hide) && isBoxWindow(watched)) {
        auto *window = static_cast<QWidget *>(watched);
        if (type == QEvent::Show)
            opened(window);
        else
            closing(window);
    }
    return QObject::eventFilter(watched, event);
}

void FocusReturn::opened(QWidget *window)
{
    QWidget *active = QApplication::activeWindow();
    if (!active || active == window || m_cameFrom.contains(window))
        return;
    m_cameFrom.insert(window, active);
    connect(window, &QObject::destroyed, this, &FocusReturn::forget, Qt::UniqueConnection);
}

void FocusReturn::forget(QObject *window)
{
    m_cameFrom.remove(static_cast<QWidget *>(window));
}

void FocusReturn::closing(QWidget *window)
{
    const QPointer<QWidget> cameFrom = m_cameFrom.take(window);
    // Only when the keyboard was in the box (Qt may have let go of it already): a box closed
    // while the user is in another window of ours takes nothing from there.
    const QWidget *active = QApplication::activeWindow();
    if (active && active != window)
        return;
    QTimer::singleShot(0, this, [cameFrom] {
        if (cameFrom && cameFrom->isVisible() && !QApplication::activeWindow())
            cameFrom->activateWindow();
    });
}

} // namespace Pinmark

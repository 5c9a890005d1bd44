#include "app/lastwindowwatcher.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace Pinmark {

LastWindowWatcher::LastWindowWatcher(QObject *parent) : QObject(parent)
{
    QApplication::setQuitOnLastWindowClosed(false);
    qApp->installEventFilter(this);
}

bool LastWindowWatcher::eventFilter(QObject *watched, QEvent *event)
{
    if ((event->type() == QEvent::Hide || event->type() == QEvent::Close) &&
        watched->isWidgetType() && static_cast<QWidget *>(watched)->isWindow() && !m_checkPending) {
        // Checked once the current handler is done: start-up closes the main window and
        // shows the not-connected notice in one go.
        m_checkPending = true;
        QTimer::singleShot(0, this, &LastWindowWatcher::quitIfNoWindowIsOpen);
    }
    return QObject::eventFilter(watched, event);
}

void LastWindowWatcher::quitIfNoWindowIsOpen()
{
    m_checkPending = false;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QWidget *window : windows) {
        const Qt::WindowType type = window->windowType();
        if (window->isVisible() && type != Qt::ToolTip && type != Qt::Popup)
            return;
    }
    QCoreApplication::exit(0);
}

} // namespace Pinmark

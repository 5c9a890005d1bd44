#include "browser/webengine/engineworkarounds.h"

#include <QCoreApplication>
#include <QQuickWidget>
#include <QQuickWindow>

namespace Pinmark {

void enableEngineAccessibility()
{
    // Checked with Qt 6.4: the engine keeps pages away from screen readers on Linux unless
    // this is set before it starts, and it offers no call for it. The gallery is the program's
    // content, so a screen reader must reach it. It is set for the whole process, once.
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY"))
        qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
}

bool isLeavePageQuestion(const QString &message)
{
    // Checked with Qt 6.4: the engine asks "leave this page?" through javaScriptConfirm() with
    // a sentence of its own, translated, and nothing else tells it from a page's confirm().
    return message == QCoreApplication::translate("QWebEnginePage",
                                                  "Are you sure you want to leave this page? "
                                                  "Changes that you made may not be saved.");
}

void hideDrawingWindows(const QWidget *view)
{
    // Checked with Qt 6.4: the engine draws the page through a window of its own, a child of
    // the view's private QQuickWidget, that is never shown. Assistive technology lists every
    // top-level window but pop-ups, so it would read as a stray empty frame of the program;
    // typed as a pop-up it stays out of the tree.
    const auto surfaces = view->findChildren<QQuickWidget *>();
    for (const QQuickWidget *surface : surfaces) {
        QQuickWindow *window = surface->quickWindow();
        if (window && window->type() != Qt::Popup)
            window->setFlags((window->flags() & ~Qt::WindowType_Mask) | Qt::Popup);
    }
}

} // namespace Pinmark

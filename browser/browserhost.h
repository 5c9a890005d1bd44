#pragma once
#include "browser/browserexport.h"
#include "browser/htmldocument.h"

#include <QObject>
#include <QVariant>

class QWidget;

namespace Pinmark {

// What the program asks of its embedded web browser, WebBrowser1, and what it hears from it.
// The engine behind it (Qt WebEngine in the program, a stand-in in the window tests) keeps its
// documents to itself: whoever holds a BrowserHost can navigate and listen, never report a
// page event.
class PINMARK_BROWSER_EXPORT BrowserHost : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Puts the browser's view inside the given area of the window. Creating the view may be
    // deferred to the first navigation.
    virtual void attachTo(QWidget *area) = 0;

    // The window around the browser's area is about to be shown, and pages will follow. An
    // engine that draws through the GPU prepares the window for it here, so that the window is
    // not created a second time when the engine's view arrives.
    virtual void prepareWindow() {}

    // Starts loading an address and returns at once.
    virtual void Navigate2(const QString &address) = 0;
    // Replaces the current page in place.
    virtual void Navigate(const QString &address) = 0;

    // The current top-level document, or null before the first one exists.
    virtual HtmlDocument *Document() const = 0;

Q_SIGNALS:
    void DocumentComplete(QObject *frame, const QVariant &address);
    void NavigationStarted();
    // The user asked for something the browser does not show but saves: the program saves
    // nothing and hands the address on.
    void FileDownload(const QString &address);
};

// Whether pages can be composed through OpenGL: with shared contexts requested, Qt makes the
// global share context at start-up whenever the display offers OpenGL, so its absence is the
// cheap sign that there is none. The window's surface and the engine's renderer both follow it.
PINMARK_BROWSER_EXPORT bool hasSharedOpenGL();

} // namespace Pinmark

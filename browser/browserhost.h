#pragma once
#include "browser/browserexport.h"
#include "browser/htmldocument.h"

#include <QObject>
#include <QPointer>
#include <QVariant>

class QWidget;

namespace Pinmark {

// What the program asks of its embedded web browser, WebBrowser1. The engine behind it
// (Qt WebEngine in the program, a stand-in in the window tests) reports the documents it
// creates and their events through the protected-turned-public delivery calls below, which
// keep one current top-level document and drop events of any other generation.
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
    virtual HtmlDocument *Document() const { return m_current; }

    // --- Called by the engine ---------------------------------------------------------
    // A new top-level document was created; it becomes the current one.
    quint64 beginDocument(const QString &url);
    // A page or frame finished loading. Only reported for the current generation.
    void documentLoaded(quint64 generation, QObject *frame, const QString &address);
    void readyStateChanged(quint64 generation, const QString &state);
    void clicked(quint64 generation, const HtmlEventObj &event);
    void mouseDown(quint64 generation, const HtmlEventObj &event);
    // A new top-level navigation began: the page is loading again.
    void topLevelNavigationStarted();

Q_SIGNALS:
    void DocumentComplete(QObject *frame, const QVariant &address);
    void NavigationStarted();
    // The user asked for something the browser does not show but saves: the program saves
    // nothing and hands the address on.
    void FileDownload(const QString &address);

private:
    HtmlDocument *currentOf(quint64 generation) const;

    QPointer<HtmlDocument> m_current;
    quint64 m_nextGeneration = 1;
};

// Whether pages can be composed through OpenGL: with shared contexts requested, Qt makes the
// global share context at start-up whenever the display offers OpenGL, so its absence is the
// cheap sign that there is none. The window's surface and the engine's renderer both follow it.
PINMARK_BROWSER_EXPORT bool hasSharedOpenGL();

} // namespace Pinmark

#pragma once
#include <QObject>
#include <QPointer>
#include <QString>

// A snapshot of the element an event reached first (the innermost one).
struct HtmlElement
{
    QString tagName; // as the document reports it
    QString id;
    QString title;
    QString src;  // the address of the picture an image shows, spaces written "%20"
    QString href; // a link's address
};

// The event being handled: its innermost element and the pressed-buttons word
// (1 left, 2 right, 4 middle, 3 left and right).
struct HtmlEventObj
{
    HtmlElement srcElement;
    quint32 button = 0;
};

// The window of a document. While a document event is being handled, event() is that event.
class HtmlWindow : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    const HtmlEventObj &event() const { return m_event; }
    void setEvent(const HtmlEventObj &event) { m_event = event; }

private:
    HtmlEventObj m_event;
};

// One top-level document of the embedded browser. Each has its own generation number;
// binding subscribes to its three events, and a new document gets a new generation.
class HtmlDocument : public QObject
{
    Q_OBJECT
public:
    HtmlDocument(quint64 generation, const QString &url, QObject *parent = nullptr);

    quint64 generation() const { return m_generation; }
    QString url() const { return m_url; }
    QString readyState() const { return m_readyState; }
    HtmlWindow *parentWindow() { return &m_window; }

    // Set while the program is subscribed to this document; the page's own script then
    // cancels the default action of every click.
    bool isBound() const { return m_bound; }
    void setBound(bool bound);

    // Called by the browser host when the page reports an event of this document.
    void deliverReadyState(const QString &state);
    void deliverClick(const HtmlEventObj &event);
    void deliverMouseDown(const HtmlEventObj &event);

Q_SIGNALS:
    void onclick();
    void onmousedown();
    void onreadystatechange();
    void boundChanged(bool bound);

private:
    quint64 m_generation;
    QString m_url;
    QString m_readyState = QStringLiteral("loading");
    bool m_bound = false;
    HtmlWindow m_window;
};

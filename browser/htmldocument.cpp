#include "htmldocument.h"

HtmlDocument::HtmlDocument(quint64 generation, const QString &url, QObject *parent)
    : QObject(parent), m_generation(generation), m_url(url)
{
}

void HtmlDocument::setBound(bool bound)
{
    if (m_bound == bound)
        return;
    m_bound = bound;
    Q_EMIT boundChanged(bound);
}

void HtmlDocument::deliverReadyState(const QString &state)
{
    m_readyState = state;
    Q_EMIT onreadystatechange();
}

// The event is the window's for exactly as long as its handler runs. Documents are only ever
// deleted later, from the event loop, and handlers run no event loop of their own, so the
// document outlives the delivery; the guard keeps a broken rule from writing freed memory.
void HtmlDocument::deliverClick(const HtmlEventObj &event)
{
    const QPointer<HtmlDocument> self(this);
    m_window.setEvent(event);
    Q_EMIT onclick();
    if (self)
        m_window.setEvent({});
}

void HtmlDocument::deliverMouseDown(const HtmlEventObj &event)
{
    const QPointer<HtmlDocument> self(this);
    m_window.setEvent(event);
    Q_EMIT onmousedown();
    if (self)
        m_window.setEvent({});
}

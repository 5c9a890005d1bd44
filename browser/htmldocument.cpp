#include "browser/htmldocument.h"

namespace Pinmark {

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

// Documents are only ever deleted later, from the event loop, and handlers run no event loop
// of their own, so the document outlives the delivery of its events.
void HtmlDocument::deliverClick(const HtmlEventObj &event)
{
    Q_EMIT onclick(event);
}

void HtmlDocument::deliverMouseDown(const HtmlEventObj &event)
{
    Q_EMIT onmousedown(event);
}

} // namespace Pinmark

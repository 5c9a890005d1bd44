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

void HtmlDocument::deliverClick(const HtmlEventObj &event)
{
    m_window.setEvent(event);
    Q_EMIT onclick();
    m_window.setEvent({});
}

void HtmlDocument::deliverMouseDown(const HtmlEventObj &event)
{
    m_window.setEvent(event);
    Q_EMIT onmousedown();
    m_window.setEvent({});
}

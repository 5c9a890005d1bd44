#include "fakebrowserhost.h"

void FakeBrowserHost::documentLoaded(quint64 generation, QObject *frame, const QString &address)
{
    if (m_documents.currentOf(generation))
        Q_EMIT DocumentComplete(frame, QVariant(address));
}

void FakeBrowserHost::readyStateChanged(quint64 generation, const QString &state)
{
    if (HtmlDocument *doc = m_documents.currentOf(generation))
        doc->deliverReadyState(state);
}

void FakeBrowserHost::clicked(quint64 generation, const HtmlEventObj &event)
{
    if (HtmlDocument *doc = m_documents.currentOf(generation))
        doc->deliverClick(event);
}

void FakeBrowserHost::mouseDown(quint64 generation, const HtmlEventObj &event)
{
    if (HtmlDocument *doc = m_documents.currentOf(generation))
        doc->deliverMouseDown(event);
}

quint64 FakeBrowserHost::loadPage(const QString &url, const QString &readyState)
{
    const quint64 generation = beginDocument(url);
    readyStateChanged(generation, readyState);
    documentLoaded(generation, nullptr, url);
    return generation;
}

HtmlEventObj clickOn(const QString &tag, const QString &id, const QString &src, const QString &href,
                     const QString &title)
{
    HtmlEventObj event;
    event.srcElement = {tag, id, title, src, href};
    event.button = 1;
    return event;
}

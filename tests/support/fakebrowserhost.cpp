#include "fakebrowserhost.h"

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

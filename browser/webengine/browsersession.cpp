#include "browser/webengine/browsersession.h"

#include "browser/webengine/pagepolicy.h"

#include <QWebEngineHistory>

namespace Pinmark {

void BrowserSession::updateTrail()
{
    const QWebEngineHistory *history = page->history();
    const QList<QWebEngineHistoryItem> items = history->items();
    QList<HistoryTrail::Entry> entries;
    entries.reserve(items.size());
    for (const QWebEngineHistoryItem &item : items)
        entries.append({item.url().toString(), item.lastVisited().toMSecsSinceEpoch()});
    trail.update(entries, history->currentItemIndex());
}

quint64 BrowserSession::currentGeneration() const
{
    const HtmlDocument *doc = documents.current();
    return doc ? doc->generation() : 0;
}

} // namespace Pinmark

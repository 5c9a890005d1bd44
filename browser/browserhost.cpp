#include "browser/browserhost.h"

#include <QOpenGLContext>

namespace Pinmark {

quint64 BrowserHost::beginDocument(const QString &url)
{
    if (m_current) {
        // The old document is gone; whoever was bound to it simply stops hearing from it. It is
        // deleted from the event loop, never here: one of its handlers may be running.
        m_current->setBound(false);
        m_current->deleteLater();
    }
    const quint64 generation = m_nextGeneration++;
    m_current = new HtmlDocument(generation, url, this);
    return generation;
}

HtmlDocument *BrowserHost::currentOf(quint64 generation) const
{
    return (m_current && m_current->generation() == generation) ? m_current.data() : nullptr;
}

void BrowserHost::documentLoaded(quint64 generation, QObject *frame, const QString &address)
{
    if (currentOf(generation))
        Q_EMIT DocumentComplete(frame, QVariant(address));
}

void BrowserHost::readyStateChanged(quint64 generation, const QString &state)
{
    if (HtmlDocument *doc = currentOf(generation))
        doc->deliverReadyState(state);
}

void BrowserHost::clicked(quint64 generation, const HtmlEventObj &event)
{
    if (HtmlDocument *doc = currentOf(generation))
        doc->deliverClick(event);
}

void BrowserHost::mouseDown(quint64 generation, const HtmlEventObj &event)
{
    if (HtmlDocument *doc = currentOf(generation))
        doc->deliverMouseDown(event);
}

void BrowserHost::topLevelNavigationStarted()
{
    Q_EMIT NavigationStarted();
}

bool hasSharedOpenGL()
{
    const QOpenGLContext *share = QOpenGLContext::globalShareContext();
    return share && share->isValid();
}

} // namespace Pinmark

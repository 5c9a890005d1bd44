#pragma once
#include "browser/browserexport.h"
#include "browser/htmldocument.h"

#include <QPointer>

namespace Pinmark {

// The top-level documents of one browser. Each new one gets the next generation number and
// becomes the current one; reports that name any other generation are stale and are dropped.
class PINMARK_BROWSER_EXPORT DocumentGenerations
{
public:
    // The documents are children of the owner.
    explicit DocumentGenerations(QObject *owner) : m_owner(owner) {}

    // A new top-level document was created: it becomes the current one. The old one is
    // unbound and deleted from the event loop, never here: one of its handlers may be running.
    quint64 begin(const QString &url);

    // The current document, or null before the first one.
    HtmlDocument *current() const { return m_current.data(); }
    // The current document if it is of that generation, else null.
    HtmlDocument *currentOf(quint64 generation) const;

private:
    QObject *m_owner;
    QPointer<HtmlDocument> m_current;
    quint64 m_next = 1;
};

} // namespace Pinmark

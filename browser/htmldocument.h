#pragma once
#include "browser/browserexport.h"
#include "core/htmlevent.h"

#include <QObject>
#include <QString>

namespace Pinmark {

// One top-level document of the embedded browser. Each has its own generation number;
// binding subscribes to its three events, and a new document gets a new generation.
// Its click and mouse-down events carry their event object.
class PINMARK_BROWSER_EXPORT HtmlDocument : public QObject
{
    Q_OBJECT
public:
    HtmlDocument(quint64 generation, const QString &url, QObject *parent = nullptr);

    quint64 generation() const { return m_generation; }
    QString url() const { return m_url; }
    QString readyState() const { return m_readyState; }

    // Set while the program is subscribed to this document; the page's own script then
    // cancels the default action of every click.
    bool isBound() const { return m_bound; }
    void setBound(bool bound);

    // Called by the browser host when the page reports an event of this document.
    void deliverReadyState(const QString &state);
    void deliverClick(const HtmlEventObj &event);
    void deliverMouseDown(const HtmlEventObj &event);

Q_SIGNALS:
    void onclick(const Pinmark::HtmlEventObj &event);
    void onmousedown(const Pinmark::HtmlEventObj &event);
    void onreadystatechange();
    void boundChanged(bool bound);

private:
    quint64 m_generation;
    QString m_url;
    QString m_readyState = QStringLiteral("loading");
    bool m_bound = false;
};

} // namespace Pinmark

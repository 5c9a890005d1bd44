#pragma once
#include "core/loadfailure.h"

#include <QObject>
#include <QTimer>

class QWebEngineLoadingInfo;
class QWebEnginePage;

namespace Pinmark {

class Recovery;
struct BrowserSession;

// Knows when a top-level load is complete, and when it has failed. Normally the document
// script reports its page; the engine's own signals catch the loads after which no script
// would, and a document that does not arrive in time counts as failed.
class LoadTracking : public QObject
{
    Q_OBJECT
public:
    LoadTracking(BrowserSession &session, Recovery &recovery, QObject *parent = nullptr);

    // Follows the loads of the session's page; called for every new page.
    void watchPage();
    // The document script reports the top-level page of that generation as loaded.
    void pageLoaded(quint64 generation, const QString &address);
    // A load failed, or the page is gone: our page for it follows.
    void fail(const QString &address, LoadFailure reason);
    void stopArrivalWatch() { m_arrivalTimer.stop(); }

Q_SIGNALS:
    // A new top-level navigation began: the page is loading again.
    void navigationStarted();
    // The current document stands for the page, loaded.
    void pageComplete(quint64 generation, const QString &address);

private:
    void onLoadStarted();
    void onLoadingChanged(const QWebEngineLoadingInfo &info);
    void onLoadFinished();
    void settleEndedLoad(const QVariant &scriptState);
    void onArrivalTimeout();

    BrowserSession &m_session;
    Recovery &m_recovery;
    QTimer m_arrivalTimer;
    quint64 m_generationAtStart = 0; // the document shown when the navigation started
    // The engine's own document for a failed load, reported by the document script before the
    // engine told how the load ended (Qt 6.8 does it in that order); it stands for the page
    // only after a link's HTTP error.
    quint64 m_engineErrorGeneration = 0;
    bool m_httpErrorIsAPage = false;
};

} // namespace Pinmark

#pragma once
#include "core/loadfailure.h"
#include "core/recoverypolicy.h"

#include <QObject>
#include <QTimer>
#include <QWebEnginePage>

class QNetworkAccessManager;

namespace Pinmark {

struct BrowserSession;

// The road back from a failure. A load that fails shows a page of our own: for the gallery it
// tries again by itself, once the server answers a question asked aside; for a link it says
// what failed and leads back. A renderer that dies is restarted on the gallery, within a bound.
class Recovery : public QObject
{
    Q_OBJECT
public:
    struct Failure
    {
        QString address;
        LoadFailure reason = LoadFailure::Other;
        ErrorPageKind kind = ErrorPageKind::Gallery;
    };

    explicit Recovery(BrowserSession &session, QObject *parent = nullptr);

    // Shows our page for a load that failed, after the engine is done with the failed one.
    void fail(const QString &address, LoadFailure reason);
    const Failure &failure() const { return m_failure; }
    // Loads the gallery now, ending any wait for the next attempt.
    void retryNow();
    // A web page loaded: no attempt is due, and a rested budget starts the pauses afresh.
    void loadSucceeded();
    // Follows the renderer of the session's page; called for every new page.
    void watchPage();

Q_SIGNALS:
    // The page's renderer died, and the page with it: nothing it started goes on.
    void rendererEnded();
    // A load of ours failed, or a page that stood for the gallery is gone for good.
    void failed(const QString &address, LoadFailure reason);

private:
    void onRenderProcessTerminated(QWebEnginePage::RenderProcessTerminationStatus status,
                                   int exitCode);
    void showErrorPage();
    void scheduleRetry();
    void probeGallery();

    BrowserSession &m_session;
    Failure m_failure;
    RetrySchedule m_retries;
    RestartBudget m_restarts;
    QTimer m_retryTimer;
    QNetworkAccessManager *m_network = nullptr;
};

} // namespace Pinmark

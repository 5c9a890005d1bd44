#include "browser/webengine/recovery.h"

#include "browser/browserlog.h"
#include "browser/webengine/browsersession.h"
#include "browser/webengine/pagepolicy.h"
#include "browser/webengine/pagescripts.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrl>

namespace Pinmark {

using namespace std::chrono_literals;

Recovery::Recovery(BrowserSession &session, QObject *parent)
    : QObject(parent), m_session(session), m_restarts(3, 60s)
{
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &Recovery::probeGallery);
}

void Recovery::fail(const QString &address, LoadFailure reason)
{
    // The page names the address the load began at: the link the user followed, even when it
    // sent the engine on elsewhere.
    m_failure = {m_session.navigating.isEmpty() ? address : m_session.navigating, reason,
                 m_session.isGallery(address) ? ErrorPageKind::Gallery : ErrorPageKind::Link};
    // Back never returns to the entry of a load that failed.
    m_session.trail.markCurrentFailed(address);
    // Whatever the engine shows meanwhile is never bound as a loaded page.
    m_session.state.loadFailed();
    // The engine may still be inside the failed navigation; our page comes right after it.
    QMetaObject::invokeMethod(this, &Recovery::showErrorPage, Qt::QueuedConnection);
}

void Recovery::showErrorPage()
{
    if (m_session.state.isClosing() || !m_session.page)
        return;
    qCDebug(lcBrowser) << "showing the page for a failed load, reason" << int(m_failure.reason);
    // From here until it loads, our page is the only data: document the page may show.
    m_session.state.errorPageAsked();
    m_session.page->setHtml(fillErrorPage(builtInText(QStringLiteral(":/pinmark/errorpage.html")),
                                          m_failure.kind, m_failure.reason, m_failure.address));
    // Only the gallery is tried again by itself; a link waits for the user.
    if (m_failure.kind == ErrorPageKind::Gallery && !m_retryTimer.isActive())
        scheduleRetry();
}

void Recovery::scheduleRetry()
{
    m_retryTimer.start(m_retries.nextDelay());
}

void Recovery::probeGallery()
{
    // Asked aside, so that the page of ours stays in place until the gallery answers.
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    QNetworkRequest request{QUrl(m_session.home)};
    request.setTransferTimeout(10000);
    // A gallery that answers but never arrives is asked for the whole page, in the time a page
    // may take; any other only for an answer.
    const bool whole = m_failure.reason == LoadFailure::TooSlow;
    QNetworkReply *reply = whole ? m_network->get(request) : m_network->head(request);
    if (whole)
        QTimer::singleShot(m_session.arrivalTimeout, reply, &QNetworkReply::abort);
    connect(reply, &QNetworkReply::finished, this, [this, reply, whole] {
        reply->deleteLater();
        if (!m_session.state.showsFailure())
            return;
        // Any answer of the server's will do, even one that refuses the question: the page
        // itself then decides whether it shows.
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        qCDebug(lcBrowser) << "the gallery's server answered" << status << reply->error();
        if (status > 0 && (!whole || reply->error() == QNetworkReply::NoError))
            retryNow();
        else
            scheduleRetry();
    });
}

void Recovery::retryNow()
{
    m_retryTimer.stop();
    m_session.load(m_session.home);
}

void Recovery::loadSucceeded()
{
    m_retryTimer.stop();
    // A gallery whose renderer keeps dying right after it loads still backs off.
    if (m_restarts.isRested(std::chrono::milliseconds(m_session.clock.elapsed())))
        m_retries.reset();
}

void Recovery::watchPage()
{
    connect(m_session.page, &QWebEnginePage::renderProcessTerminated, this,
            &Recovery::onRenderProcessTerminated);
}

void Recovery::onRenderProcessTerminated(QWebEnginePage::RenderProcessTerminationStatus status,
                                         int exitCode)
{
    if (m_session.state.isClosing())
        return;
    // The page is gone with its renderer: no document stands for it now.
    m_session.documents.begin(QString());
    Q_EMIT rendererEnded();
    const bool restart = m_restarts.take(std::chrono::milliseconds(m_session.clock.elapsed()));
    qCWarning(lcBrowser).nospace() << "The page's renderer ended: " << status << ", exit code "
                                   << exitCode << (restart ? "; restarting it" : "; not again");
    // Not inside the page's own signal: the page is replaced.
    QMetaObject::invokeMethod(
        this,
        [this, restart] {
            if (m_session.state.isClosing())
                return;
            m_session.replacePage();
            if (restart) {
                m_session.state.restarted();
                m_session.load(m_session.home);
            } else {
                Q_EMIT failed(m_session.home, LoadFailure::Other);
            }
        },
        Qt::QueuedConnection);
}

} // namespace Pinmark

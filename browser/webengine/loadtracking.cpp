#include "browser/webengine/loadtracking.h"

#include "browser/browserlog.h"
#include "browser/webengine/browsersession.h"
#include "browser/webengine/pagepolicy.h"
#include "browser/webengine/pagescripts.h"
#include "browser/webengine/recovery.h"

#include <QPointer>
#include <QWebEngineLoadingInfo>
#include <QWebEngineScript>

#include <utility>

namespace Pinmark {

namespace {

// The engine's code for a load that was cut short by another one: not a failure.
constexpr int LoadAborted = -3;

// The engine's own document for a failed load.
bool isEngineErrorAddress(const QString &address)
{
    return address.startsWith(QLatin1String("chrome-error:"));
}

} // namespace

LoadTracking::LoadTracking(BrowserSession &session, Recovery &recovery, QObject *parent)
    : QObject(parent), m_session(session), m_recovery(recovery)
{
    m_arrivalTimer.setSingleShot(true);
    connect(&m_arrivalTimer, &QTimer::timeout, this, &LoadTracking::onArrivalTimeout);
}

void LoadTracking::watchPage()
{
    QWebEnginePage *page = m_session.page;
    connect(page, &QWebEnginePage::loadStarted, this, &LoadTracking::onLoadStarted);
    connect(page, &QWebEnginePage::loadFinished, this, &LoadTracking::onLoadFinished);
    connect(page, &QWebEnginePage::loadingChanged, this, &LoadTracking::onLoadingChanged);
}

void LoadTracking::onLoadStarted()
{
    m_session.state.navigationStarted();
    Q_EMIT navigationStarted();
}

void LoadTracking::onLoadingChanged(const QWebEngineLoadingInfo &info)
{
    const QString address = info.url().toString();
    if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus) {
        m_session.updateTrail();
        // A load has ended; one stopped because the next began has not ended that one.
        const bool stopped = info.status() == QWebEngineLoadingInfo::LoadStoppedStatus;
        if (!stopped || address == m_session.navigating)
            m_arrivalTimer.stop();
        if (!stopped || address == m_session.requested)
            m_session.trail.endExpectation();
    }
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadStartedStatus:
        m_engineErrorGeneration = 0;
        m_httpErrorIsAPage = false;
        m_session.state.loadStarted(isErrorPageAddress(address));
        if (m_session.state.showsFailure())
            break;
        qCDebug(lcBrowser) << "loading" << address;
        m_session.navigating = address;
        m_generationAtStart = m_session.currentGeneration();
        m_arrivalTimer.start(m_session.arrivalTimeout);
        break;
    case QWebEngineLoadingInfo::LoadSucceededStatus:
        if (m_session.state.showsFailure())
            break;
        m_recovery.loadSucceeded();
        break;
    case QWebEngineLoadingInfo::LoadFailedStatus:
        if (info.errorCode() == LoadAborted || isErrorPageAddress(address))
            break;
        // A page followed in place may answer with an error of its own and show it; the
        // gallery may not.
        if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain &&
            !m_session.isGallery(address)) {
            m_httpErrorIsAPage = true;
            if (m_engineErrorGeneration != 0)
                pageLoaded(std::exchange(m_engineErrorGeneration, 0), address);
            break;
        }
        // The address is the user's business: it is told only when asked for details.
        qCWarning(lcBrowser).nospace()
            << "A page failed to load: " << info.errorString() << " (" << info.errorDomain()
            << ", code " << info.errorCode() << ")";
        qCDebug(lcBrowser) << "the page that failed:" << address;
        fail(address, loadFailureOf(info.errorCode()));
        break;
    case QWebEngineLoadingInfo::LoadStoppedStatus:
        break;
    }
}

// A document that has not arrived in time (its ready state is still "loading", or it has not
// even begun) is given up: a page whose pictures are still coming in has arrived.
void LoadTracking::onArrivalTimeout()
{
    const HtmlDocument *doc = m_session.documents.current();
    if (m_session.state.showsFailure() || (doc && doc->generation() > m_generationAtStart &&
                                           doc->readyState() != QLatin1String("loading")))
        return;
    qCWarning(lcBrowser) << "A page did not arrive within" << m_session.arrivalTimeout.count()
                         << "ms";
    fail(m_session.navigating, LoadFailure::TooSlow);
}

void LoadTracking::fail(const QString &address, LoadFailure reason)
{
    m_arrivalTimer.stop();
    m_recovery.fail(address, reason);
}

void LoadTracking::pageLoaded(quint64 generation, const QString &address)
{
    if (!m_session.documents.currentOf(generation))
        return;
    if (isEngineErrorAddress(address) && !m_httpErrorIsAPage) {
        m_engineErrorGeneration = generation; // how the load ended decides
        return;
    }
    // No page stands for the gallery while a load has failed: nothing is bound, and the badge
    // keeps saying "loading".
    if (m_session.state.pageReported(generation, isErrorPageAddress(address)))
        Q_EMIT pageComplete(generation, address);
}

void LoadTracking::onLoadFinished()
{
    // A load has ended; normally the document script has reported its page (or will, its report
    // may still be on the way). This catches the loads after which no script would: a refused or
    // cancelled navigation that left the old page in place, and the engine's own pages.
    if (!m_session.state.awaitsCompletion())
        return;
    QPointer<LoadTracking> self(this);
    m_session.page->runJavaScript(loadEndedProbe(), QWebEngineScript::ApplicationWorld,
                                  [self](const QVariant &state) {
                                      if (self && !self->m_session.state.isClosing())
                                          self->settleEndedLoad(state);
                                  });
}

void LoadTracking::settleEndedLoad(const QVariant &scriptState)
{
    if (!m_session.state.awaitsCompletion())
        return;
    const QVariantMap state = scriptState.toMap();
    if (state.isEmpty()) {
        // No document script runs in this document, so nothing in it will ever be reported:
        // it becomes a document of its own that is complete and stays silent.
        const QString address = m_session.page->url().toString();
        const quint64 generation = m_session.documents.begin(address);
        m_session.documents.current()->deliverReadyState(QStringLiteral("complete"));
        pageLoaded(generation, address);
        return;
    }
    const quint64 generation = state.value(QStringLiteral("generation")).toULongLong();
    const bool reportedBefore = state.value(QStringLiteral("reported")).toBool();
    // The page had already reported itself complete and is still the current document: the
    // navigation ended without replacing it. Report it again so it is bound and shown anew.
    if (reportedBefore && generation != 0 && generation == m_session.state.completedGeneration())
        pageLoaded(generation, state.value(QStringLiteral("address")).toString());
}

} // namespace Pinmark

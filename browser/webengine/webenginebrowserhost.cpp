#include "browser/webengine/webenginebrowserhost.h"

#include "browser/webengine/documentbridge.h"
#include "browser/webengine/engineworkarounds.h"
#include "browser/webengine/pagepolicy.h"
#include "browser/webengine/pagescripts.h"

#include <QLayout>
#include <QQuickWindow>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebChannel>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace Pinmark {

namespace {

// How long after the user's click a download it started is still the user's.
constexpr qint64 DownloadAfterActionMs = 10000;

} // namespace

WebEngineBrowserHost::WebEngineBrowserHost(QObject *parent)
    : BrowserHost(parent), m_channel(new QWebChannel(this)), m_bridge(new DocumentBridge(this)),
      m_session(this), m_recovery(m_session), m_loads(m_session, m_recovery),
      m_keys(m_session, m_recovery)
{
    m_channel->registerObject(QStringLiteral("pinmark"), m_bridge);
    m_session.load = [this](const QString &address) { load(address); };
    m_session.replacePage = [this] { replacePage(); };
    connect(&m_loads, &LoadTracking::navigationStarted, this, &BrowserHost::NavigationStarted);
    connect(&m_recovery, &Recovery::rendererEnded, this, [this] {
        Q_EMIT NavigationStarted();
        m_keys.stopWatch();
        m_loads.stopArrivalWatch();
    });
    connect(&m_recovery, &Recovery::failed, &m_loads, &LoadTracking::fail);
    connect(&m_loads, &LoadTracking::pageComplete, this, &WebEngineBrowserHost::documentLoaded);
}

WebEngineBrowserHost::~WebEngineBrowserHost()
{
    m_session.state.closing();
    if (m_view)
        m_view->removeEventFilter(this);
    // The profile must outlive every page that uses it, and the page every view showing it.
    delete m_view.data();
    delete m_session.page;
    m_session.page = nullptr;
    delete m_profile;
}

void WebEngineBrowserHost::prepareGraphics()
{
    if (!hasSharedOpenGL())
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

void WebEngineBrowserHost::attachTo(QWidget *area)
{
    m_area = area;
    if (m_view)
        placeView();
}

QWebEngineView *WebEngineBrowserHost::view() const
{
    return m_view.data();
}

void WebEngineBrowserHost::Navigate2(const QString &address)
{
    if (m_session.home.isEmpty())
        m_session.home = address;
    load(address);
}

void WebEngineBrowserHost::Navigate(const QString &address)
{
    // A link the user followed; what it gives may be a download.
    m_userActedAt = m_session.clock.elapsed();
    load(address);
}

void WebEngineBrowserHost::load(const QString &address)
{
    if (!m_session.page)
        createView();
    // Every load of the program's is one the user asked for: the gallery, a link, a key.
    m_session.requested = address;
    m_session.trail.expectChosenEntry();
    m_session.page->load(QUrl(address));
}

void WebEngineBrowserHost::createView()
{
    enableEngineAccessibility();
    // Without a storage name the profile is off the record: nothing of the session is written.
    m_profile = new QWebEngineProfile(this);
    // The program writes no files: downloads go to the web browser.
    connect(m_profile, &QWebEngineProfile::downloadRequested, this,
            &WebEngineBrowserHost::onDownloadRequested);
    createPage();

    m_view = new QWebEngineView(m_area.data());
    // Chromium's menu would also swallow the click after a right-button press.
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    m_view->setPage(m_session.page);
    // The drawing surface comes and goes with the renderer.
    m_view->installEventFilter(this);
    placeView();
    m_keys.install(m_area);
}

void WebEngineBrowserHost::createPage()
{
    HostPage *page = new HostPage(m_profile, &m_session.state, this);
    m_session.page = page;
    installPageScripts(page, m_channel);
    m_loads.watchPage();
    m_recovery.watchPage();
    connect(page, &QWebEnginePage::urlChanged, this, [this] { m_session.updateTrail(); });
}

void WebEngineBrowserHost::replacePage()
{
    // After its renderer died, a page may hand its scripts and the channel to the dead renderer
    // instead of the next one, which then never hears the user. A new page starts clean.
    HostPage *old = m_session.page;
    disconnect(old, nullptr, this, nullptr);
    disconnect(old, nullptr, &m_loads, nullptr);
    disconnect(old, nullptr, &m_recovery, nullptr);
    old->setWebChannel(nullptr);
    createPage();
    m_view->setPage(m_session.page);
    m_session.trail = HistoryTrail();
    // Called from the event loop, never from one of the old page's signals.
    delete old;
}

void WebEngineBrowserHost::placeView()
{
    if (!m_area)
        return;
    if (m_view->parentWidget() != m_area)
        m_view->setParent(m_area);
    QLayout *layout = m_area->layout();
    if (!layout) {
        layout = new QVBoxLayout(m_area);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
    }
    if (layout->indexOf(m_view) < 0)
        layout->addWidget(m_view);
    // The area holds the browser's place in the window's tab order; focus goes on to the page.
    m_area->setFocusProxy(m_view);
    m_view->show();
}

// ---- What the document script reports ------------------------------------------------------

void WebEngineBrowserHost::readyStateChanged(quint64 generation, const QString &state)
{
    if (HtmlDocument *doc = m_session.documents.currentOf(generation))
        doc->deliverReadyState(state);
}

void WebEngineBrowserHost::documentLoaded(quint64 generation, const QString &address)
{
    if (m_session.documents.currentOf(generation))
        Q_EMIT DocumentComplete(nullptr, QVariant(address));
}

void WebEngineBrowserHost::pageLoaded(quint64 generation, const QString &address)
{
    m_loads.pageLoaded(generation, address);
}

void WebEngineBrowserHost::userClicked(quint64 generation, const HtmlEventObj &event)
{
    // The click is the user's own: the document script passes on no other.
    HtmlDocument *doc = m_session.documents.currentOf(generation);
    if (!doc)
        return;
    // The buttons of our page.
    if (m_session.state.showsFailure() && isErrorPageAddress(doc->url())) {
        const QString &id = event.srcElement.id;
        const bool gallery = m_recovery.failure().kind == ErrorPageKind::Gallery;
        if (gallery && id == QLatin1String("retry"))
            m_recovery.retryNow();
        else if (!gallery && id == QLatin1String("back"))
            m_keys.GoBack();
        else if (!gallery && id == QLatin1String("gallery"))
            m_keys.GoHome();
        return;
    }
    // The user uses this page: Back may return to it, and a download it starts is theirs.
    m_session.updateTrail();
    m_session.trail.markCurrentChosen();
    m_userActedAt = m_session.clock.elapsed();
    doc->deliverClick(event);
}

void WebEngineBrowserHost::mouseDown(quint64 generation, const HtmlEventObj &event)
{
    if (HtmlDocument *doc = m_session.documents.currentOf(generation))
        doc->deliverMouseDown(event);
}

void WebEngineBrowserHost::backKeyPressed(quint64 generation)
{
    if (m_session.documents.currentOf(generation))
        m_keys.GoBack();
}

// ---- Downloads -----------------------------------------------------------------------------

void WebEngineBrowserHost::onDownloadRequested(QWebEngineDownloadRequest *download)
{
    // Nothing is saved here. A download the user started (by a link or a click, a moment ago)
    // goes to the web browser, once; one the page starts by itself goes nowhere.
    download->cancel();
    const qint64 now = m_session.clock.elapsed();
    const bool theUsers = m_userActedAt >= 0 && now - m_userActedAt <= DownloadAfterActionMs;
    m_userActedAt = -1;
    if (theUsers)
        Q_EMIT FileDownload(download->url().toString());
}

bool WebEngineBrowserHost::eventFilter(QObject *watched, QEvent *event)
{
    // The type first: while the view is being destroyed it is no longer a view, and comparing
    // the guarded pointer with it would take it for one.
    if (event->type() == QEvent::ChildPolished && watched == m_view)
        hideDrawingWindows(m_view);
    return BrowserHost::eventFilter(watched, event);
}

} // namespace Pinmark

#include "browser/webengine/webenginebrowserhost.h"

#include "browser/webengine/documentbridge.h"
#include "browser/webengine/permissionpolicy.h"
#include "browser/webengine/rendererprocess.h"

#include <QCoreApplication>
#include <QFile>
#include <QLayout>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QQuickWidget>
#include <QQuickWindow>
#include <QShortcut>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebChannel>
#include <QWebEngineCertificateError>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace Pinmark {

using namespace std::chrono_literals;

// The page of the embedded browser. It opens no new windows and shows no dialogs of its own:
// a box that the page could raise again and again would hold the whole program. Its top-level
// document is only ever a web page, one of the engine's own (about:blank, error pages) or our
// own page for a failed load: never a local file, a javascript: or data: address of the page's.
class HostPage : public QWebEnginePage
{
public:
    HostPage(QWebEngineProfile *profile, PageStateMachine *state, QObject *parent)
        : QWebEnginePage(profile, parent), m_state(state)
    {
    }

protected:
    QWebEnginePage *createWindow(WebWindowType) override { return nullptr; }

    bool acceptNavigationRequest(const QUrl &url, NavigationType, bool isMainFrame) override
    {
        if (!isMainFrame)
            return true;
        const QString scheme = url.scheme();
        if (scheme == QLatin1String("data"))
            return m_state->takeErrorPageNavigation();
        return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
               scheme == QLatin1String("about");
    }

    void javaScriptAlert(const QUrl &, const QString &) override {}

    bool javaScriptConfirm(const QUrl &, const QString &message) override
    {
        // The engine asks whether to leave a page through this same call, with its own words:
        // leaving never asks, so that question is answered yes. Any other question is no.
        return message == QCoreApplication::translate("QWebEnginePage",
                                                      "Are you sure you want to leave this page? "
                                                      "Changes that you made may not be saved.");
    }

    bool javaScriptPrompt(const QUrl &, const QString &, const QString &, QString *) override
    {
        return false;
    }

    QStringList chooseFiles(FileSelectionMode, const QStringList &, const QStringList &) override
    {
        return {};
    }

private:
    PageStateMachine *m_state;
};

namespace {

QString readResource(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("Missing built-in resource %s", qPrintable(path));
    return QString::fromUtf8(file.readAll());
}

QWebEngineScript documentScript()
{
    QWebEngineScript script;
    script.setName(QStringLiteral("pinmark-document"));
    // Both parts are compiled into the program: the channel's client, then ours.
    script.setSourceCode(readResource(QStringLiteral(":/qtwebchannel/qwebchannel.js")) +
                         QLatin1Char('\n') +
                         readResource(QStringLiteral(":/pinmark/documentscript.js")));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(false);
    return script;
}

// Every frame, the top-level document's and those inside it, copies and cuts nothing onto the
// clipboard: the event reaches no handler of the page, and a cancelled event with no data of its
// own writes nothing. It runs before any script of the page, in the program's isolated world.
QWebEngineScript clipboardGuardScript()
{
    QWebEngineScript script;
    script.setName(QStringLiteral("pinmark-clipboard"));
    script.setSourceCode(QStringLiteral(
        "(function () {\n"
        "    function refuse(event) { event.preventDefault(); event.stopImmediatePropagation(); }\n"
        "    window.addEventListener('copy', refuse, true);\n"
        "    window.addEventListener('cut', refuse, true);\n"
        "})();"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(true);
    return script;
}

// Asks the document script, if the current document has one, to report its page as loaded
// now; it answers what it knew before.
constexpr auto LoadEndedProbe =
    "typeof pinmarkLoadEnded === 'function' ? pinmarkLoadEnded() : null";

// Our own page for a failed load is the only data: document the page may show.
bool isErrorPageAddress(const QString &address)
{
    return address.startsWith(QLatin1String("data:"));
}

// The engine's code for a load that was cut short by another one: not a failure.
constexpr int LoadAborted = -3;

// How long a page may take to show it is alive before a browser key ends its renderer.
constexpr auto ResponseTimeout = 3s;

// How long after the user's click a download it started is still the user's.
constexpr qint64 DownloadAfterActionMs = 10000;

// The engine draws the page through a window of its own that is never shown. Assistive
// technology lists every top-level window but pop-ups, so it would read as a stray empty
// frame of the program; typed as a pop-up it stays out of the tree.
void hideDrawingWindows(const QWidget *view)
{
    const auto surfaces = view->findChildren<QQuickWidget *>();
    for (const QQuickWidget *surface : surfaces) {
        QQuickWindow *window = surface->quickWindow();
        if (window && window->type() != Qt::Popup)
            window->setFlags((window->flags() & ~Qt::WindowType_Mask) | Qt::Popup);
    }
}

} // namespace

WebEngineBrowserHost::WebEngineBrowserHost(QObject *parent)
    : BrowserHost(parent), m_channel(new QWebChannel(this)), m_bridge(new DocumentBridge(this)),
      m_restarts(3, 60s)
{
    m_channel->registerObject(QStringLiteral("pinmark"), m_bridge);
    m_clock.start();
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &WebEngineBrowserHost::probeGallery);
    m_responseTimer.setSingleShot(true);
    connect(&m_responseTimer, &QTimer::timeout, this, [this] {
        // The page did not answer: its renderer is frozen. Ending it brings the gallery back.
        if (m_page)
            endRendererProcess(m_page->renderProcessPid());
    });
    m_arrivalTimer.setSingleShot(true);
    connect(&m_arrivalTimer, &QTimer::timeout, this, &WebEngineBrowserHost::onArrivalTimeout);
}

WebEngineBrowserHost::~WebEngineBrowserHost()
{
    m_state.closing();
    if (m_view)
        m_view->removeEventFilter(this);
    // The profile must outlive every page that uses it, and the page every view showing it.
    delete m_view.data();
    delete m_page;
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
    if (m_home.isEmpty())
        m_home = address;
    load(address);
}

void WebEngineBrowserHost::Navigate(const QString &address)
{
    // A link the user followed; what it gives may be a download.
    m_userActedAt = m_clock.elapsed();
    load(address);
}

void WebEngineBrowserHost::load(const QString &address)
{
    if (!m_page)
        createView();
    // Every load of the program's is one the user asked for: the gallery, a link, a key.
    m_requested = address;
    m_trail.expectChosenEntry();
    m_page->load(QUrl(address));
}

void WebEngineBrowserHost::createView()
{
    // The engine keeps pages away from screen readers on Linux unless asked before it starts;
    // the gallery is the program's content, so a screen reader must reach it.
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY"))
        qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
    // Without a storage name the profile is off the record: nothing of the session is written.
    m_profile = new QWebEngineProfile(this);
    // The program writes no files: downloads go to the web browser.
    connect(m_profile, &QWebEngineProfile::downloadRequested, this,
            &WebEngineBrowserHost::onDownloadRequested);
    createPage();

    m_view = new QWebEngineView(m_area.data());
    // Chromium's menu would also swallow the click after a right-button press.
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    m_view->setPage(m_page);
    // The drawing surface comes and goes with the renderer.
    m_view->installEventFilter(this);
    placeView();
    installKeys();
}

void WebEngineBrowserHost::createPage()
{
    m_page = new HostPage(m_profile, &m_state, this);
    QWebEngineSettings *settings = m_page->settings();
    // Pages may not open windows on their own; createWindow() refuses the rest.
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    // Only the code buttons put text on the clipboard; pages neither write nor read it.
    settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
    // The arrow keys move between the page's pictures; the document script makes them
    // reachable (see there).
    settings->setAttribute(QWebEngineSettings::SpatialNavigationEnabled, true);
    m_page->setWebChannel(m_channel, QWebEngineScript::ApplicationWorld);
    m_page->scripts().insert(documentScript());
    m_page->scripts().insert(clipboardGuardScript());
    connect(m_page, &QWebEnginePage::loadStarted, this, &WebEngineBrowserHost::onLoadStarted);
    connect(m_page, &QWebEnginePage::loadFinished, this, &WebEngineBrowserHost::onLoadFinished);
    connect(m_page, &QWebEnginePage::loadingChanged, this, &WebEngineBrowserHost::onLoadingChanged);
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            &WebEngineBrowserHost::onRenderProcessTerminated);
    connect(m_page, &QWebEnginePage::urlChanged, this, &WebEngineBrowserHost::updateTrail);
    // A certificate the system does not trust is refused, whatever the page: the load fails and
    // our page says why.
    connect(m_page, &QWebEnginePage::certificateError, m_page,
            [](const QWebEngineCertificateError &error) {
                QWebEngineCertificateError refusal = error;
                refusal.rejectCertificate();
            });
    denyAllPermissions(m_page);
}

void WebEngineBrowserHost::replacePage()
{
    // After its renderer died, a page may hand its scripts and the channel to the dead renderer
    // instead of the next one, which then never hears the user. A new page starts clean.
    HostPage *old = m_page;
    disconnect(old, nullptr, this, nullptr);
    old->setWebChannel(nullptr);
    createPage();
    m_view->setPage(m_page);
    m_trail = HistoryTrail();
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

void WebEngineBrowserHost::installKeys()
{
    if (!m_area)
        return;
    // Window-wide, and handled before the page sees them: they work on a frozen page too.
    const struct
    {
        QKeySequence keys;
        void (WebEngineBrowserHost::*action)();
    } keys[] = {
        {QKeySequence(Qt::Key_F5), &WebEngineBrowserHost::Refresh},
        {QKeySequence(Qt::ALT | Qt::Key_Left), &WebEngineBrowserHost::GoBack},
        {QKeySequence(Qt::ALT | Qt::Key_Right), &WebEngineBrowserHost::GoForward},
        {QKeySequence(Qt::ALT | Qt::Key_Home), &WebEngineBrowserHost::GoHome},
    };
    for (const auto &key : keys) {
        auto *shortcut = new QShortcut(key.keys, m_area, nullptr, nullptr, Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, key.action);
    }
    // Backspace goes back only outside the page's text fields: the document script tells.
}

// ---- Loads and their ends ------------------------------------------------------------------

void WebEngineBrowserHost::onLoadStarted()
{
    m_state.navigationStarted();
    topLevelNavigationStarted();
}

void WebEngineBrowserHost::onLoadingChanged(const QWebEngineLoadingInfo &info)
{
    const QString address = info.url().toString();
    if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus) {
        updateTrail();
        // A load has ended; one stopped because the next began has not ended that one.
        const bool stopped = info.status() == QWebEngineLoadingInfo::LoadStoppedStatus;
        if (!stopped || address == m_navigating)
            m_arrivalTimer.stop();
        if (!stopped || address == m_requested)
            m_trail.endExpectation();
    }
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadStartedStatus:
        m_state.loadStarted(isErrorPageAddress(address));
        if (m_state.showsFailure())
            break;
        m_navigating = address;
        m_generationAtStart = Document() ? Document()->generation() : 0;
        m_arrivalTimer.start(m_arrivalTimeout);
        break;
    case QWebEngineLoadingInfo::LoadSucceededStatus:
        if (m_state.showsFailure())
            break;
        m_retryTimer.stop();
        // A gallery whose renderer keeps dying right after it loads still backs off.
        if (m_restarts.isRested(std::chrono::milliseconds(m_clock.elapsed())))
            m_retries.reset();
        break;
    case QWebEngineLoadingInfo::LoadFailedStatus:
        if (info.errorCode() == LoadAborted || isErrorPageAddress(address))
            break;
        // A page followed in place may answer with an error of its own and show it; the
        // gallery may not.
        if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain &&
            !isGallery(address))
            break;
        failLoad(address, loadFailureOf(info.errorCode()));
        break;
    case QWebEngineLoadingInfo::LoadStoppedStatus:
        break;
    }
}

// A document that has not arrived in time (its ready state is still "loading", or it has not
// even begun) is given up: a page whose pictures are still coming in has arrived.
void WebEngineBrowserHost::onArrivalTimeout()
{
    const HtmlDocument *doc = Document();
    if (m_state.showsFailure() || (doc && doc->generation() > m_generationAtStart &&
                               doc->readyState() != QLatin1String("loading")))
        return;
    failLoad(m_navigating, LoadFailure::TooSlow);
}

bool WebEngineBrowserHost::isGallery(const QString &address) const
{
    // Also a gallery that sent the engine on elsewhere before it failed.
    return address == m_home || m_navigating == m_home;
}

void WebEngineBrowserHost::pageLoaded(quint64 generation, const QString &address)
{
    if (!Document() || Document()->generation() != generation)
        return;
    // No page stands for the gallery while a load has failed: nothing is bound, and the badge
    // keeps saying "loading".
    if (m_state.pageReported(generation, isErrorPageAddress(address)))
        documentLoaded(generation, nullptr, address);
}

void WebEngineBrowserHost::onLoadFinished()
{
    // A load has ended; normally the document script has reported its page (or will, its report
    // may still be on the way). This catches the loads after which no script would: a refused or
    // cancelled navigation that left the old page in place, and the engine's own pages.
    if (!m_state.awaitsCompletion())
        return;
    QPointer<WebEngineBrowserHost> self(this);
    m_page->runJavaScript(QString::fromLatin1(LoadEndedProbe), QWebEngineScript::ApplicationWorld,
                          [self](const QVariant &state) {
                              if (self && !self->m_state.isClosing())
                                  self->settleEndedLoad(state);
                          });
}

void WebEngineBrowserHost::settleEndedLoad(const QVariant &scriptState)
{
    if (!m_state.awaitsCompletion())
        return;
    const QVariantMap state = scriptState.toMap();
    if (state.isEmpty()) {
        // No document script runs in this document, so nothing in it will ever be reported:
        // it becomes a document of its own that is complete and stays silent.
        const QString address = m_page->url().toString();
        const quint64 generation = beginDocument(address);
        readyStateChanged(generation, QStringLiteral("complete"));
        pageLoaded(generation, address);
        return;
    }
    const quint64 generation = state.value(QStringLiteral("generation")).toULongLong();
    const bool reportedBefore = state.value(QStringLiteral("reported")).toBool();
    // The page had already reported itself complete and is still the current document: the
    // navigation ended without replacing it. Report it again so it is bound and shown anew.
    if (reportedBefore && generation != 0 && generation == m_state.completedGeneration())
        pageLoaded(generation, state.value(QStringLiteral("address")).toString());
}

// ---- Failures ------------------------------------------------------------------------------

void WebEngineBrowserHost::failLoad(const QString &address, LoadFailure reason)
{
    m_arrivalTimer.stop();
    // The page names the address the load began at: the link the user followed, even when it
    // sent the engine on elsewhere.
    m_failure = {m_navigating.isEmpty() ? address : m_navigating, reason,
                 isGallery(address) ? ErrorPageKind::Gallery : ErrorPageKind::Link};
    // Back never returns to the entry of a load that failed.
    m_trail.markCurrentFailed(address);
    // Whatever the engine shows meanwhile is never bound as a loaded page.
    m_state.loadFailed();
    // The engine may still be inside the failed navigation; our page comes right after it.
    QMetaObject::invokeMethod(this, &WebEngineBrowserHost::showErrorPage, Qt::QueuedConnection);
}

void WebEngineBrowserHost::showErrorPage()
{
    if (m_state.isClosing() || !m_page)
        return;
    // From here until it loads, our page is the only data: document the page may show.
    m_state.errorPageAsked();
    m_page->setHtml(fillErrorPage(readResource(QStringLiteral(":/pinmark/errorpage.html")),
                                  m_failure.kind, m_failure.reason, m_failure.address));
    // Only the gallery is tried again by itself; a link waits for the user.
    if (m_failure.kind == ErrorPageKind::Gallery && !m_retryTimer.isActive())
        scheduleRetry();
}

void WebEngineBrowserHost::scheduleRetry()
{
    m_retryTimer.start(m_retries.nextDelay());
}

void WebEngineBrowserHost::probeGallery()
{
    // Asked aside, so that the page of ours stays in place until the gallery answers.
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    QNetworkRequest request{QUrl(m_home)};
    request.setTransferTimeout(10000);
    // A gallery that answers but never arrives is asked for the whole page, in the time a page
    // may take; any other only for an answer.
    const bool whole = m_failure.reason == LoadFailure::TooSlow;
    QNetworkReply *reply = whole ? m_network->get(request) : m_network->head(request);
    if (whole)
        QTimer::singleShot(m_arrivalTimeout, reply, &QNetworkReply::abort);
    connect(reply, &QNetworkReply::finished, this, [this, reply, whole] {
        reply->deleteLater();
        if (!m_state.showsFailure())
            return;
        // Any answer of the server's will do, even one that refuses the question: the page
        // itself then decides whether it shows.
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status > 0 && (!whole || reply->error() == QNetworkReply::NoError))
            retryNow();
        else
            scheduleRetry();
    });
}

void WebEngineBrowserHost::retryNow()
{
    m_retryTimer.stop();
    load(m_home);
}

void WebEngineBrowserHost::userClicked(quint64 generation, const HtmlEventObj &event)
{
    // The buttons of our page. The click is the user's own: the document script passes on no
    // other.
    const HtmlDocument *doc = Document();
    if (!doc || doc->generation() != generation)
        return;
    if (m_state.showsFailure() && isErrorPageAddress(doc->url())) {
        const QString &id = event.srcElement.id;
        const bool gallery = m_failure.kind == ErrorPageKind::Gallery;
        if (gallery && id == QLatin1String("retry"))
            retryNow();
        else if (!gallery && id == QLatin1String("back"))
            GoBack();
        else if (!gallery && id == QLatin1String("gallery"))
            GoHome();
        return;
    }
    // The user uses this page: Back may return to it, and a download it starts is theirs.
    updateTrail();
    m_trail.markCurrentChosen();
    m_userActedAt = m_clock.elapsed();
    clicked(generation, event);
}

void WebEngineBrowserHost::backKeyPressed(quint64 generation)
{
    if (Document() && Document()->generation() == generation)
        GoBack();
}

void WebEngineBrowserHost::onRenderProcessTerminated()
{
    if (m_state.isClosing())
        return;
    // The page is gone with its renderer: no document stands for it now.
    beginDocument(QString());
    topLevelNavigationStarted();
    m_responseTimer.stop();
    m_arrivalTimer.stop();
    const bool restart = m_restarts.take(std::chrono::milliseconds(m_clock.elapsed()));
    // Not inside the page's own signal: the page is replaced.
    QMetaObject::invokeMethod(
        this,
        [this, restart] {
            if (m_state.isClosing())
                return;
            replacePage();
            if (restart) {
                m_state.restarted();
                load(m_home);
            } else {
                failLoad(m_home, LoadFailure::Other);
            }
        },
        Qt::QueuedConnection);
}

// ---- Browser keys --------------------------------------------------------------------------

void WebEngineBrowserHost::Refresh()
{
    if (!m_state.showsFailure())
        whenResponsive(&WebEngineBrowserHost::reloadNow);
    else if (m_failure.kind == ErrorPageKind::Gallery)
        retryNow();
    else
        load(m_failure.address);
}

void WebEngineBrowserHost::GoBack()
{
    whenResponsive(&WebEngineBrowserHost::goBackNow);
}

void WebEngineBrowserHost::GoForward()
{
    whenResponsive(&WebEngineBrowserHost::goForwardNow);
}

void WebEngineBrowserHost::GoHome()
{
    whenResponsive(&WebEngineBrowserHost::retryNow);
}

void WebEngineBrowserHost::reloadNow()
{
    m_page->triggerAction(QWebEnginePage::Reload);
}

void WebEngineBrowserHost::goBackNow()
{
    // Our page for an unreachable gallery leads to the gallery.
    if (m_state.showsFailure() && m_failure.kind == ErrorPageKind::Gallery) {
        retryNow();
        return;
    }
    // To the nearest page the user chose, past our page for a failed link and the entries a
    // page added by itself; with none left, to the gallery.
    updateTrail();
    QWebEngineHistory *history = m_page->history();
    if (const auto target = m_trail.goBack())
        history->goToItem(history->itemAt(*target));
    else if (m_state.showsFailure() || m_page->url().toString() != m_home)
        load(m_home);
}

void WebEngineBrowserHost::goForwardNow()
{
    QWebEngineHistory *history = m_page->history();
    if (!m_state.showsFailure() && history->canGoForward()) {
        m_trail.wentForward();
        history->goToItem(history->forwardItem());
    }
}

void WebEngineBrowserHost::updateTrail()
{
    const QWebEngineHistory *history = m_page->history();
    const QList<QWebEngineHistoryItem> items = history->items();
    QList<HistoryTrail::Entry> entries;
    entries.reserve(items.size());
    for (const QWebEngineHistoryItem &item : items)
        entries.append({item.url().toString(), item.lastVisited().toMSecsSinceEpoch()});
    m_trail.update(entries, history->currentItemIndex());
}

// ---- Downloads -----------------------------------------------------------------------------

void WebEngineBrowserHost::onDownloadRequested(QWebEngineDownloadRequest *download)
{
    // Nothing is saved here. A download the user started (by a link or a click, a moment ago)
    // goes to the web browser, once; one the page starts by itself goes nowhere.
    download->cancel();
    const bool theUsers =
        m_userActedAt >= 0 && m_clock.elapsed() - m_userActedAt <= DownloadAfterActionMs;
    m_userActedAt = -1;
    if (theUsers)
        Q_EMIT FileDownload(download->url().toString());
}

void WebEngineBrowserHost::whenResponsive(void (WebEngineBrowserHost::*action)())
{
    // While a probe is out (its timer runs), further keys wait for its answer.
    if (!m_page || m_responseTimer.isActive())
        return;
    if (m_state.showsFailure() || m_page->renderProcessPid() <= 0) {
        (this->*action)();
        return;
    }
    const quint64 probe = ++m_probeCount;
    m_responseTimer.start(ResponseTimeout);
    QPointer<WebEngineBrowserHost> self(this);
    m_page->runJavaScript(QStringLiteral("0"), QWebEngineScript::ApplicationWorld,
                          [self, probe, action](const QVariant &) {
                              // An answer after the timeout, or to an older probe, is too late.
                              if (!self || self->m_state.isClosing() || !self->m_responseTimer.isActive() ||
                                  self->m_probeCount != probe)
                                  return;
                              self->m_responseTimer.stop();
                              (self.data()->*action)();
                          });
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

#include "webenginebrowserhost.h"

#include "documentbridge.h"

#include <QFile>
#include <QLayout>
#include <QOpenGLContext>
#include <QQuickWidget>
#include <QQuickWindow>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

// The page of the embedded browser. It opens no new windows, and its top-level document is only
// ever a web page or one of the engine's own (about:blank, error pages): never a local file, a
// javascript: or data: address.
class HostPage : public QWebEnginePage
{
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    QWebEnginePage *createWindow(WebWindowType) override { return nullptr; }

    bool acceptNavigationRequest(const QUrl &url, NavigationType, bool isMainFrame) override
    {
        if (!isMainFrame)
            return true;
        const QString scheme = url.scheme();
        return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
               scheme == QLatin1String("about");
    }
};

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

// Asks the document script, if the current document has one, to report its page as loaded
// now; it answers what it knew before.
constexpr auto LoadEndedProbe =
    "typeof pinmarkLoadEnded === 'function' ? pinmarkLoadEnded() : null";

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
    : BrowserHost(parent), m_channel(new QWebChannel(this)), m_bridge(new DocumentBridge(this))
{
    m_channel->registerObject(QStringLiteral("pinmark"), m_bridge);
}

WebEngineBrowserHost::~WebEngineBrowserHost()
{
    m_closing = true;
    // The profile must outlive every page that uses it, and the page every view showing it.
    delete m_view.data();
    delete m_page;
    delete m_profile;
}

void WebEngineBrowserHost::prepareGraphics()
{
    // With shared contexts requested, Qt makes the global share context at start-up whenever
    // the display offers OpenGL; its absence is the cheap sign that there is none.
    const QOpenGLContext *share = QOpenGLContext::globalShareContext();
    if (!share || !share->isValid())
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
    load(address);
}

void WebEngineBrowserHost::Navigate(const QString &address)
{
    load(address);
}

void WebEngineBrowserHost::load(const QString &address)
{
    if (!m_page)
        createView();
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
    m_page = new HostPage(m_profile, this);
    // Pages may not open windows on their own; createWindow() refuses the rest.
    m_page->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    m_page->setWebChannel(m_channel, QWebEngineScript::ApplicationWorld);
    m_page->scripts().insert(documentScript());
    connect(m_page, &QWebEnginePage::loadStarted, this, &WebEngineBrowserHost::onLoadStarted);
    connect(m_page, &QWebEnginePage::loadFinished, this, &WebEngineBrowserHost::onLoadFinished);
    connect(m_page, &QWebEnginePage::featurePermissionRequested, m_page,
            [page = m_page](const QUrl &origin, QWebEnginePage::Feature feature) {
                page->setFeaturePermission(origin, feature, QWebEnginePage::PermissionDeniedByUser);
            });

    m_view = new QWebEngineView(m_area.data());
    // Chromium's menu would also swallow the click after a right-button press.
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    m_view->setPage(m_page);
    // The drawing surface comes and goes with the renderer.
    m_view->installEventFilter(this);
    placeView();
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

void WebEngineBrowserHost::onLoadStarted()
{
    m_awaitingCompletion = true;
    topLevelNavigationStarted();
}

void WebEngineBrowserHost::pageLoaded(quint64 generation, const QString &address)
{
    if (!Document() || Document()->generation() != generation)
        return;
    m_awaitingCompletion = false;
    m_completedGeneration = generation;
    documentLoaded(generation, nullptr, address);
}

void WebEngineBrowserHost::onLoadFinished()
{
    // A load has ended; normally the document script has reported its page (or will, its report
    // may still be on the way). This catches the loads after which no script would: a refused or
    // cancelled navigation that left the old page in place, and the engine's own pages.
    if (!m_awaitingCompletion)
        return;
    QPointer<WebEngineBrowserHost> self(this);
    m_page->runJavaScript(QString::fromLatin1(LoadEndedProbe), QWebEngineScript::ApplicationWorld,
                          [self](const QVariant &state) {
                              if (self && !self->m_closing)
                                  self->settleEndedLoad(state);
                          });
}

void WebEngineBrowserHost::settleEndedLoad(const QVariant &scriptState)
{
    if (!m_awaitingCompletion)
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
    if (reportedBefore && generation != 0 && generation == m_completedGeneration)
        pageLoaded(generation, state.value(QStringLiteral("address")).toString());
}

bool WebEngineBrowserHost::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && event->type() == QEvent::ChildPolished)
        hideDrawingWindows(m_view);
    return BrowserHost::eventFilter(watched, event);
}

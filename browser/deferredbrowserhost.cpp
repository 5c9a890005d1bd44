#include "browser/deferredbrowserhost.h"

#include "browser/browserengine.h"
#include "browser/browserlog.h"

#include <QLibrary>
#include <QOpenGLWidget>
#include <QPluginLoader>

#include <system_error>

namespace Pinmark {

LoadedEngine loadBrowserEngine(const QStringList &pluginPaths)
{
    LoadedEngine result;
    QStringList errors;
    for (const QString &path : pluginPaths) {
        QPluginLoader loader(path);
        // The engine keeps threads and static state of its own: it stays for the whole run.
        loader.setLoadHints(QLibrary::PreventUnloadHint);
        QObject *root = loader.instance();
        if (!root) {
            errors << loader.errorString();
            continue;
        }
        auto *engine = qobject_cast<BrowserEngine *>(root);
        if (!engine) {
            errors << path + QStringLiteral(": not a browser engine plugin");
            continue;
        }
        result.engine = engine;
        result.fileName = loader.fileName();
        return result;
    }
    result.error = errors.join(QLatin1Char('\n'));
    return result;
}

DeferredBrowserHost::DeferredBrowserHost(QStringList pluginPaths, QObject *parent)
    : BrowserHost(parent), m_pluginPaths(std::move(pluginPaths))
{
}

// A preload still under way ends before the host does (the future waits for it).
DeferredBrowserHost::~DeferredBrowserHost() = default;

void DeferredBrowserHost::preload()
{
    if (m_engine || m_failed || m_preload.valid())
        return;
    const auto mapLibrary = [paths = m_pluginPaths] {
        for (const QString &path : paths) {
            QLibrary library(path);
            library.setLoadHints(QLibrary::PreventUnloadHint);
            // A failure is reported by the real load, on the GUI thread, with its reason.
            if (library.load())
                return;
        }
    };
    try {
        m_preload = std::async(std::launch::async, mapLibrary);
    } catch (const std::system_error &error) {
        // No thread to spare: the library is mapped at the first navigation instead.
        qCDebug(lcBrowser) << "no worker thread for the engine's libraries:" << error.what();
    }
}

void DeferredBrowserHost::attachTo(QWidget *area)
{
    m_area = area;
    if (m_engine)
        m_engine->attachTo(area);
}

void DeferredBrowserHost::prepareWindow()
{
    // The engine's view composes its pages through OpenGL where the display offers it, and a
    // window that gains such a child while on screen is destroyed and made again (under Wayland
    // it even becomes another window). A hidden stand-in gives the window that surface from the
    // start. Without OpenGL the view draws in software and needs none.
    if (m_area && !m_engine && !m_surfaceStandIn && hasSharedOpenGL()) {
        m_surfaceStandIn = new QOpenGLWidget(m_area);
        m_surfaceStandIn->hide();
    }
}

void DeferredBrowserHost::Navigate2(const QString &address)
{
    if (BrowserHost *host = engine())
        host->Navigate2(address);
}

void DeferredBrowserHost::Navigate(const QString &address)
{
    if (BrowserHost *host = engine())
        host->Navigate(address);
}

HtmlDocument *DeferredBrowserHost::Document() const
{
    return m_engine ? m_engine->Document() : nullptr;
}

BrowserHost *DeferredBrowserHost::engine()
{
    if (m_engine || m_failed)
        return m_engine;
    if (m_preload.valid())
        m_preload.get();
    const LoadedEngine loaded = loadBrowserEngine(m_pluginPaths);
    const QString refusal = loaded.engine ? loaded.engine->refusal() : QString();
    if (loaded.engine && refusal.isEmpty())
        m_engine = loaded.engine->createHost(this);
    if (!m_engine) {
        m_failed = true;
        const QString reason = !refusal.isEmpty()       ? refusal
                               : loaded.error.isEmpty() ? QStringLiteral("The engine plugin made "
                                                                         "no browser.")
                                                        : loaded.error;
        qCWarning(lcBrowser).noquote() << "The browser engine is not available:" << reason;
        Q_EMIT EngineUnavailable(reason);
        return nullptr;
    }
    qCDebug(lcBrowser) << "browser engine loaded from" << loaded.fileName;
    connect(m_engine, &BrowserHost::DocumentComplete, this, &BrowserHost::DocumentComplete);
    connect(m_engine, &BrowserHost::NavigationStarted, this, &BrowserHost::NavigationStarted);
    connect(m_engine, &BrowserHost::FileDownload, this, &BrowserHost::FileDownload);
    if (m_area)
        m_engine->attachTo(m_area);
    delete m_surfaceStandIn;
    return m_engine;
}

} // namespace Pinmark

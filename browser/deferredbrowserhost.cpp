#include "browser/deferredbrowserhost.h"

#include "browser/browserengine.h"
#include "browser/browserlog.h"

#include <QOpenGLWidget>
#include <QPluginLoader>

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

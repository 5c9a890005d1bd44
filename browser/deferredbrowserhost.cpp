#include "deferredbrowserhost.h"

#include <QLibrary>

DeferredBrowserHost::DeferredBrowserHost(QStringList modulePaths, QObject *parent)
    : BrowserHost(parent), m_modulePaths(std::move(modulePaths))
{
}

void DeferredBrowserHost::attachTo(QWidget *area)
{
    m_area = area;
    if (m_engine)
        m_engine->attachTo(area);
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
    QStringList errors;
    for (const QString &path : std::as_const(m_modulePaths)) {
        QLibrary module(path);
        // The engine keeps threads and static state of its own: it stays for the whole run.
        module.setLoadHints(QLibrary::PreventUnloadHint);
        const auto create =
            reinterpret_cast<CreateBrowserHostFunction>(module.resolve(CreateBrowserHostSymbol));
        if (!create) {
            errors << module.errorString();
            continue;
        }
        m_engine = create(this);
        break;
    }
    if (!m_engine) {
        m_failed = true;
        Q_EMIT EngineUnavailable(errors.join(QLatin1Char('\n')));
        return nullptr;
    }
    connect(m_engine, &BrowserHost::DocumentComplete, this, &BrowserHost::DocumentComplete);
    connect(m_engine, &BrowserHost::NavigationStarted, this, &BrowserHost::NavigationStarted);
    if (m_area)
        m_engine->attachTo(m_area);
    return m_engine;
}

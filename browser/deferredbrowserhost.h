#pragma once
#include "browser/browserexport.h"
#include "browser/browserhost.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

namespace Pinmark {

class BrowserEngine;

// The outcome of looking for the engine plugin.
struct PINMARK_BROWSER_EXPORT LoadedEngine
{
    BrowserEngine *engine = nullptr; // null when no path held a usable plugin
    QString fileName;                // the plugin that was loaded
    QString error;                   // why each path failed, one line each
};

// Loads the first engine plugin found at the given paths (without the platform's suffix).
// The plugin stays loaded for the rest of the run. Call it on the GUI thread only, the library
// loading included: Qt WebEngine runs start-up functions of its own in whichever thread loads
// it, and from Qt 6.8 on one of them ends the process on any thread but the GUI thread.
PINMARK_BROWSER_EXPORT LoadedEngine loadBrowserEngine(const QStringList &pluginPaths);

// WebBrowser1 as the program sees it. The web engine is a plugin that is loaded at the first
// navigation, so a run that never navigates (an offline start) never maps the engine's
// libraries, never creates its OpenGL context and never starts its processes.
class PINMARK_BROWSER_EXPORT DeferredBrowserHost : public BrowserHost
{
    Q_OBJECT
public:
    // The plugin is looked for at each of these paths (without the platform's suffix).
    explicit DeferredBrowserHost(QStringList pluginPaths, QObject *parent = nullptr);

    void attachTo(QWidget *area) override;
    void prepareWindow() override;
    void Navigate2(const QString &address) override;
    void Navigate(const QString &address) override;
    HtmlDocument *Document() const override;

    bool isEngineLoaded() const { return m_engine != nullptr; }

Q_SIGNALS:
    // The plugin could not be loaded: there will be no pages in this run.
    void EngineUnavailable(const QString &reason);

private:
    BrowserHost *engine();

    QStringList m_pluginPaths;
    QPointer<QWidget> m_area;
    QPointer<QWidget> m_surfaceStandIn;
    BrowserHost *m_engine = nullptr;
    bool m_failed = false;
};

} // namespace Pinmark

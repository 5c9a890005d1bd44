#pragma once
#include "browserhost.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

// WebBrowser1 as the program sees it. The web engine lives in a module of its own that is
// loaded at the first navigation, so a run that never navigates (an offline start) never maps
// the engine's libraries, never creates its OpenGL context and never starts its processes.
class DeferredBrowserHost : public BrowserHost
{
    Q_OBJECT
public:
    // The module is looked for at each of these paths (without the platform's suffix).
    explicit DeferredBrowserHost(QStringList modulePaths, QObject *parent = nullptr);

    void attachTo(QWidget *area) override;
    void Navigate2(const QString &address) override;
    void Navigate(const QString &address) override;
    HtmlDocument *Document() const override;

    bool isEngineLoaded() const { return m_engine != nullptr; }

Q_SIGNALS:
    // The module could not be loaded: there will be no pages in this run.
    void EngineUnavailable(const QString &reason);

private:
    BrowserHost *engine();

    QStringList m_modulePaths;
    QPointer<QWidget> m_area;
    BrowserHost *m_engine = nullptr;
    bool m_failed = false;
};

// What the module exports to create its host.
using CreateBrowserHostFunction = BrowserHost *(*)(QObject *parent);
inline constexpr char CreateBrowserHostSymbol[] = "pinmark_create_browser_host";

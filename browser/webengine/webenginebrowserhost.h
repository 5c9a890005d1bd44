#pragma once
#include "browserhost.h"

#include <QPointer>

class DocumentBridge;
class QWebChannel;
class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;

// WebBrowser1 on Qt WebEngine. The web engine (and its helper processes) starts only with the
// first navigation, so a run that never navigates never starts it. Each top-level document gets
// the document script, which reports its events through the bridge into the delivery calls of
// BrowserHost.
class WebEngineBrowserHost : public BrowserHost
{
    Q_OBJECT
public:
    explicit WebEngineBrowserHost(QObject *parent = nullptr);
    ~WebEngineBrowserHost() override;

    // Chooses how pages are drawn; call once the application object exists. A display without
    // OpenGL gets the software renderer instead of a view that cannot draw.
    static void prepareGraphics();

    void attachTo(QWidget *area) override;
    void Navigate2(const QString &address) override;
    void Navigate(const QString &address) override;

    // The view, or null before the first navigation.
    QWebEngineView *view() const;

    // Called for the document script: the top-level page of that generation has loaded.
    void pageLoaded(quint64 generation, const QString &address);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createView();
    void placeView();
    void load(const QString &address);
    void onLoadStarted();
    void onLoadFinished();
    void settleEndedLoad(const QVariant &scriptState);

    QPointer<QWidget> m_area;
    QWebChannel *m_channel = nullptr;
    DocumentBridge *m_bridge = nullptr;
    QWebEngineProfile *m_profile = nullptr;
    QWebEnginePage *m_page = nullptr;
    QPointer<QWebEngineView> m_view;

    // Set when a top-level navigation starts, cleared when a page of it reports complete.
    bool m_awaitingCompletion = false;
    quint64 m_completedGeneration = 0;
    bool m_closing = false;
};

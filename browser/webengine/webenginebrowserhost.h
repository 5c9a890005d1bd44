#pragma once
#include "browser/browserhost.h"
#include "browser/webengine/browserkeys.h"
#include "browser/webengine/browsersession.h"
#include "browser/webengine/loadtracking.h"
#include "browser/webengine/recovery.h"

#include <QPointer>

class QWebChannel;
class QWebEngineDownloadRequest;
class QWebEngineProfile;
class QWebEngineView;

namespace Pinmark {

class DocumentBridge;

// WebBrowser1 on Qt WebEngine. The web engine (and its helper processes) starts only with the
// first navigation, so a run that never navigates never starts it. The host owns the profile,
// the page and the view, and destroys them in that order backwards; its parts do the rest:
// the page's policy (pagepolicy), the scripts in it (pagescripts), knowing when a load is
// complete (loadtracking), the road back from failures (recovery), the browser keys
// (browserkeys) and what the engine needs worked around (engineworkarounds). Each top-level
// document gets the document script, which reports its events through the bridge.
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
    // The first address navigated to this way is the gallery: the page every failure leads
    // back to.
    void Navigate2(const QString &address) override;
    void Navigate(const QString &address) override;
    HtmlDocument *Document() const override { return m_session.documents.current(); }

    // How long a document may take to arrive (its ready state to reach "interactive") before
    // the load counts as failed.
    void setArrivalTimeout(std::chrono::milliseconds timeout)
    {
        m_session.arrivalTimeout = timeout;
    }

    // The view, or null before the first navigation.
    QWebEngineView *view() const;
    // True while the program's own page for a failed load is shown.
    bool isShowingErrorPage() const { return m_session.state.showsFailure(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // What the document script reports, through the bridge and nobody else.
    friend class DocumentBridge;
    quint64 beginDocument(const QString &url) { return m_session.documents.begin(url); }
    void readyStateChanged(quint64 generation, const QString &state);
    void documentLoaded(quint64 generation, const QString &address);
    void pageLoaded(quint64 generation, const QString &address);
    void userClicked(quint64 generation, const HtmlEventObj &event);
    void mouseDown(quint64 generation, const HtmlEventObj &event);
    // Backspace, pressed by the user outside a text field, that the page left alone.
    void backKeyPressed(quint64 generation);

    void createView();
    void createPage();
    void replacePage();
    void placeView();
    void load(const QString &address);
    void onDownloadRequested(QWebEngineDownloadRequest *download);

    QPointer<QWidget> m_area;
    QWebChannel *m_channel = nullptr;
    DocumentBridge *m_bridge = nullptr;
    QWebEngineProfile *m_profile = nullptr;
    QPointer<QWebEngineView> m_view;
    BrowserSession m_session;
    Recovery m_recovery;
    LoadTracking m_loads;
    BrowserKeys m_keys;
    qint64 m_userActedAt = -1; // on the session's clock: a download follows only the user's action
};

} // namespace Pinmark

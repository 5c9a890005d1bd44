#pragma once
#include "browser/browserhost.h"
#include "core/historytrail.h"
#include "core/loadfailure.h"
#include "core/pagestate.h"
#include "core/recoverypolicy.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>

class QNetworkAccessManager;
class QWebChannel;
class QWebEngineCertificateError;
class QWebEngineDownloadRequest;
class QWebEngineLoadingInfo;
class QWebEngineProfile;
class QWebEngineView;

namespace Pinmark {

class DocumentBridge;
class HostPage;

// WebBrowser1 on Qt WebEngine. The web engine (and its helper processes) starts only with the
// first navigation, so a run that never navigates never starts it. Each top-level document gets
// the document script, which reports its events through the bridge into the delivery calls of
// BrowserHost.
//
// The user is never left without a road back to the gallery: a load that fails shows a page of
// our own (for the gallery it tries again by itself; for a link it says what failed and leads
// back), a renderer that dies is restarted on the gallery, and the usual browser keys reload,
// go back (past the entries a page piled up by itself) and home to the gallery.
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

    // The browser keys: F5, Alt+Left (and Backspace outside a text field), Alt+Right, Alt+Home.
    void Refresh();
    void GoBack();
    void GoForward();
    void GoHome();

    // How long a document may take to arrive (its ready state to reach "interactive") before
    // the load counts as failed.
    void setArrivalTimeout(std::chrono::milliseconds timeout) { m_arrivalTimeout = timeout; }

    // The view, or null before the first navigation.
    QWebEngineView *view() const;
    // True while the program's own page for a failed load is shown.
    bool isShowingErrorPage() const { return m_state.showsFailure(); }

    // Called for the document script: the top-level page of that generation has loaded, or the
    // user clicked in it.
    void pageLoaded(quint64 generation, const QString &address);
    void userClicked(quint64 generation, const HtmlEventObj &event);
    // Backspace, pressed by the user outside a text field, that the page left alone.
    void backKeyPressed(quint64 generation);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createView();
    void createPage();
    void replacePage();
    void placeView();
    void installKeys();
    void load(const QString &address);
    void onLoadStarted();
    void onLoadFinished();
    void onLoadingChanged(const QWebEngineLoadingInfo &info);
    void onRenderProcessTerminated();
    void settleEndedLoad(const QVariant &scriptState);
    void updateTrail();
    void onArrivalTimeout();
    void onDownloadRequested(QWebEngineDownloadRequest *download);

    // Shows our page for a load that failed, after the engine is done with the failed one.
    void failLoad(const QString &address, LoadFailure reason);
    void showErrorPage();
    void scheduleRetry();
    void probeGallery();
    void retryNow();
    // Runs a browser key's action once the page has shown it is alive; a page that does not
    // answer in time has a frozen renderer, which is ended so that the gallery comes back.
    void whenResponsive(void (WebEngineBrowserHost::*action)());
    void goBackNow();
    void goForwardNow();
    void reloadNow();
    bool isGallery(const QString &address) const;

    QPointer<QWidget> m_area;
    QWebChannel *m_channel = nullptr;
    DocumentBridge *m_bridge = nullptr;
    QWebEngineProfile *m_profile = nullptr;
    HostPage *m_page = nullptr;
    QPointer<QWebEngineView> m_view;
    QNetworkAccessManager *m_network = nullptr;

    QString m_home;
    QString m_requested;  // the address the program last asked to load
    QString m_navigating; // the address the current top-level navigation started at
    PageStateMachine m_state;
    struct Failure
    {
        QString address;
        LoadFailure reason = LoadFailure::Other;
        ErrorPageKind kind = ErrorPageKind::Gallery;
    } m_failure;
    HistoryTrail m_trail;
    QTimer m_arrivalTimer;
    std::chrono::milliseconds m_arrivalTimeout{30000};
    quint64 m_generationAtStart = 0; // the document shown when the navigation started
    qint64 m_userActedAt = -1;       // on m_clock: a download follows only the user's action
    RetrySchedule m_retries;
    RestartBudget m_restarts;
    QTimer m_retryTimer;
    QTimer m_responseTimer;
    QElapsedTimer m_clock;
    quint64 m_probeCount = 0; // numbers the responsiveness probes; the latest one counts
};

} // namespace Pinmark

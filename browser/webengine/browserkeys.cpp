#include "browser/webengine/browserkeys.h"

#include "browser/browserlog.h"
#include "browser/webengine/browsersession.h"
#include "browser/webengine/pagepolicy.h"
#include "browser/webengine/pagescripts.h"
#include "browser/webengine/recovery.h"
#include "browser/webengine/rendererprocess.h"

#include <QPointer>
#include <QShortcut>
#include <QWebEngineHistory>
#include <QWebEngineScript>
#include <QWidget>

namespace Pinmark {

using namespace std::chrono_literals;

namespace {

// How long a page may take to show it is alive before a browser key ends its renderer.
constexpr auto ResponseTimeout = 3s;

} // namespace

BrowserKeys::BrowserKeys(BrowserSession &session, Recovery &recovery, QObject *parent)
    : QObject(parent), m_session(session), m_recovery(recovery)
{
    m_responseTimer.setSingleShot(true);
    connect(&m_responseTimer, &QTimer::timeout, this, [this] {
        // The page did not answer: its renderer is frozen. Ending it brings the gallery back.
        if (m_session.page) {
            qCWarning(lcBrowser) << "The page did not answer a key; ending its renderer";
            endRendererProcess(m_session.page->renderProcessPid());
        }
    });
}

void BrowserKeys::install(QWidget *area)
{
    if (!area)
        return;
    const struct
    {
        QKeySequence keys;
        void (BrowserKeys::*action)();
    } keys[] = {
        {QKeySequence(Qt::Key_F5), &BrowserKeys::Refresh},
        {QKeySequence(Qt::ALT | Qt::Key_Left), &BrowserKeys::GoBack},
        {QKeySequence(Qt::ALT | Qt::Key_Right), &BrowserKeys::GoForward},
        {QKeySequence(Qt::ALT | Qt::Key_Home), &BrowserKeys::GoHome},
    };
    for (const auto &key : keys) {
        auto *shortcut = new QShortcut(key.keys, area, nullptr, nullptr, Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, key.action);
    }
    // Backspace goes back only outside the page's text fields: the document script tells.
}

void BrowserKeys::Refresh()
{
    if (!m_session.state.showsFailure())
        whenResponsive(&BrowserKeys::reloadNow);
    else if (m_recovery.failure().kind == ErrorPageKind::Gallery)
        m_recovery.retryNow();
    else
        m_session.load(m_recovery.failure().address);
}

void BrowserKeys::GoBack()
{
    whenResponsive(&BrowserKeys::goBackNow);
}

void BrowserKeys::GoForward()
{
    whenResponsive(&BrowserKeys::goForwardNow);
}

void BrowserKeys::GoHome()
{
    whenResponsive(&BrowserKeys::goHomeNow);
}

void BrowserKeys::reloadNow()
{
    m_session.page->triggerAction(QWebEnginePage::Reload);
}

void BrowserKeys::goBackNow()
{
    // Our page for an unreachable gallery leads to the gallery.
    const bool failed = m_session.state.showsFailure();
    if (failed && m_recovery.failure().kind == ErrorPageKind::Gallery) {
        m_recovery.retryNow();
        return;
    }
    // To the nearest page the user chose, past our page for a failed link and the entries a
    // page added by itself; with none left, to the gallery.
    m_session.updateTrail();
    QWebEngineHistory *history = m_session.page->history();
    if (const auto target = m_session.trail.goBack())
        history->goToItem(history->itemAt(*target));
    else if (failed || m_session.page->url().toString() != m_session.home)
        m_session.load(m_session.home);
}

void BrowserKeys::goForwardNow()
{
    QWebEngineHistory *history = m_session.page->history();
    if (!m_session.state.showsFailure() && history->canGoForward()) {
        m_session.trail.wentForward();
        history->goToItem(history->forwardItem());
    }
}

void BrowserKeys::goHomeNow()
{
    m_recovery.retryNow();
}

void BrowserKeys::whenResponsive(void (BrowserKeys::*action)())
{
    // While a probe is out (its timer runs), further keys wait for its answer.
    HostPage *page = m_session.page;
    if (!page || m_responseTimer.isActive())
        return;
    if (m_session.state.showsFailure() || page->renderProcessPid() <= 0) {
        (this->*action)();
        return;
    }
    const quint64 probe = ++m_probeCount;
    m_responseTimer.start(ResponseTimeout);
    QPointer<BrowserKeys> self(this);
    page->runJavaScript(aliveProbe(), QWebEngineScript::ApplicationWorld,
                        [self, probe, action](const QVariant &) {
                            // An answer after the timeout, or to an older probe, is too late.
                            if (!self || self->m_session.state.isClosing() ||
                                !self->m_responseTimer.isActive() || self->m_probeCount != probe)
                                return;
                            self->m_responseTimer.stop();
                            (self.data()->*action)();
                        });
}

} // namespace Pinmark

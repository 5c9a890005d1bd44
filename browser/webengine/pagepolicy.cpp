#include "browser/webengine/pagepolicy.h"

#include "browser/webengine/engineworkarounds.h"
#include "core/clipboardrule.h"
#include "core/pagestate.h"
#include "core/schemepolicy.h"

#include <QWebEngineCertificateError>
#include <QWebEngineSettings>
#include <QtGlobal>

#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
#include <QWebEnginePermission>
#endif

namespace Pinmark {

namespace {

// Refuses every permission a page asks for: camera, microphone, location, notifications, screen
// capture, pointer lock and the rest. The gallery needs none of them, and a prompt would be a
// box the page could raise at will. Qt changed how pages ask between 6.7 and 6.8; the choice of
// API is made here and nowhere else.
void denyAllPermissions(QWebEnginePage *page)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QObject::connect(page, &QWebEnginePage::permissionRequested, page,
                     [](QWebEnginePermission permission) { permission.deny(); });
#else
    QObject::connect(page, &QWebEnginePage::featurePermissionRequested, page,
                     [page](const QUrl &origin, QWebEnginePage::Feature feature) {
                         page->setFeaturePermission(origin, feature,
                                                    QWebEnginePage::PermissionDeniedByUser);
                     });
#endif
}

} // namespace

HostPage::HostPage(QWebEngineProfile *profile, PageStateMachine *state, QObject *parent)
    : QWebEnginePage(profile, parent), m_state(state)
{
    QWebEngineSettings *s = settings();
    // Pages may not open windows on their own; createWindow() refuses the rest.
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    // Pages neither write nor read the clipboard (see mayWriteClipboard).
    const bool pagesUseClipboard = mayWriteClipboard(ClipboardWriter::Page);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, pagesUseClipboard);
    s->setAttribute(QWebEngineSettings::JavascriptCanPaste, pagesUseClipboard);
    // The arrow keys move between the page's pictures; the document script makes them
    // reachable (see there).
    s->setAttribute(QWebEngineSettings::SpatialNavigationEnabled, true);
    // A certificate the system does not trust is refused, whatever the page: the load fails and
    // our page says why.
    connect(this, &QWebEnginePage::certificateError, this,
            [](const QWebEngineCertificateError &error) {
                QWebEngineCertificateError refusal = error;
                refusal.rejectCertificate();
            });
    denyAllPermissions(this);
}

bool HostPage::acceptNavigationRequest(const QUrl &url, NavigationType, bool isMainFrame)
{
    if (!isMainFrame)
        return true;
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("data"))
        return m_state->takeErrorPageNavigation();
    return isWebScheme(scheme) || scheme == QLatin1String("about");
}

bool HostPage::javaScriptConfirm(const QUrl &, const QString &message)
{
    // The engine asks whether to leave a page through this same call: leaving never asks, so
    // that question is answered yes. Any other question is no.
    return isLeavePageQuestion(message);
}

} // namespace Pinmark

#pragma once
#include <QWebEnginePage>

namespace Pinmark {

class PageStateMachine;

// The page of the embedded browser. It opens no new windows and shows no dialogs of its own:
// a box that the page could raise again and again would hold the whole program. Its top-level
// document is only ever a web page, one of the engine's own (about:blank, error pages) or our
// own page for a failed load: never a local file, a javascript: or data: address of the page's.
// It refuses every permission, untrusted certificates, and the clipboard to page scripts.
class HostPage : public QWebEnginePage
{
public:
    // The state tells when our page for a failed load is due.
    HostPage(QWebEngineProfile *profile, PageStateMachine *state, QObject *parent);

protected:
    QWebEnginePage *createWindow(WebWindowType) override { return nullptr; }
    bool acceptNavigationRequest(const QUrl &url, NavigationType, bool isMainFrame) override;
    void javaScriptAlert(const QUrl &, const QString &) override {}
    bool javaScriptConfirm(const QUrl &, const QString &message) override;
    bool javaScriptPrompt(const QUrl &, const QString &, const QString &, QString *) override
    {
        return false;
    }
    QStringList chooseFiles(FileSelectionMode, const QStringList &, const QStringList &) override
    {
        return {};
    }

private:
    PageStateMachine *m_state;
};

} // namespace Pinmark

#pragma once
#include "platform/desktopservices.h"

#include <QStringList>

using namespace Pinmark;

// Records every call in order and keeps a clipboard of its own. Window operations are
// carried out for real (they are harmless offscreen); ending the application is only recorded.
class FakeDesktopServices : public DesktopServices
{
public:
    int probeResult = 1;
    quint32 probeFlags = 0x02;
    QString clipboard;
    // A clipboard owner that answers each read differently: a read takes the first answer left.
    QStringList clipboardAnswers;
    QStringList calls; // e.g. "clipboardClear", "clipboardSetText", "launch:<address>"
    QStringList launches;
    QStringList messageBoxes; // "title|text"
    int probes = 0;
    int endApplications = 0;

    int probeConnectivity(quint32 *flags, quint32 reserved) override;
    void clipboardClear() override;
    void clipboardSetText(const QString &text) override;
    QString clipboardGetText() override;
    void launchInSystemBrowser(const QString &address) override;
    void showMessageBox(const QString &text, const QString &title) override;
    void minimiseWindow(QWidget *window) override;
    void showWindow(QWidget *window) override;
    void closeWindow(QWidget *window) override;
    void endApplication() override;
};

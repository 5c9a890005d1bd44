#pragma once
#include "desktopservices.h"

// The desktop services of the running program, on Qt's clipboard, URL opener, message box
// and window management. A failed operation tells the user and the program goes on.
class QtDesktopServices : public DesktopServices
{
public:
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

private:
    void reportFailure(const QString &arabic, const QString &english);
};

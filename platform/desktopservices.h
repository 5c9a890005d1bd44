#pragma once
#include <QString>

class QWidget;

namespace Pinmark {

// Everything the program asks of the desktop besides the embedded browser and drawing.
// The program passes the real implementation; the window tests pass a recording stand-in.
class DesktopServices
{
public:
    virtual ~DesktopServices() = default;

    // Nonzero when the machine is online; fills the connection-kind flags word.
    virtual int probeConnectivity(quint32 *flags, quint32 reserved) = 0;

    virtual void clipboardClear() = 0;
    virtual void clipboardSetText(const QString &text) = 0;
    // The clipboard's plain text, or the empty text when it holds none.
    virtual QString clipboardGetText() = 0;

    // Opens an address in the user's default web browser.
    virtual void launchInSystemBrowser(const QString &address) = 0;
    // Modal, one OK button, no icon. Returns at once, before the box is dismissed: callers are
    // often page-event handlers, which must not run a nested event loop.
    virtual void showMessageBox(const QString &text, const QString &title) = 0;

    virtual void minimiseWindow(QWidget *window) = 0;
    virtual void showWindow(QWidget *window) = 0;
    virtual void closeWindow(QWidget *window) = 0;
    // Closes every window and ends the run.
    virtual void endApplication() = 0;
};

} // namespace Pinmark

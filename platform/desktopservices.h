#pragma once
#include <QString>

#include <functional>

class QObject;
class QWidget;

namespace Pinmark {

// What reading the clipboard found.
struct ClipboardReading
{
    enum Status
    {
        Text,     // the clipboard's plain text; empty when it holds none
        NoAnswer, // the program holding the clipboard did not answer in time
        TooLong,  // more text than the program takes
    };
    Status status = Text;
    QString text;
};

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
    // Reads the clipboard's plain text once. Never waits on the event loop for the program that
    // holds the clipboard: done runs later, from the event loop, with what was read, or after
    // about 2 s without an answer; never once context is gone.
    virtual void clipboardReadText(QObject *context,
                                   std::function<void(const ClipboardReading &)> done) = 0;

    // Opens an address in the user's default web browser.
    virtual void launchInSystemBrowser(const QString &address) = 0;
    // Modal, one OK button, no icon. Returns at once, before the box is dismissed: callers are
    // often page-event handlers, which must not run a nested event loop.
    // At most one box of each text and title is open: asked for again, that box comes to the
    // front.
    virtual void showMessageBox(const QString &text, const QString &title) = 0;
    // A refusal or a failed operation, told in Arabic and English in the same kind of box; the
    // program goes on.
    virtual void reportFailure(const QString &arabic, const QString &english) = 0;

    virtual void minimiseWindow(QWidget *window) = 0;
    virtual void showWindow(QWidget *window) = 0;
    virtual void closeWindow(QWidget *window) = 0;
    // Closes every window and ends the run.
    virtual void endApplication() = 0;
};

} // namespace Pinmark

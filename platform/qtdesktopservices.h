#pragma once
#include "platform/desktopservices.h"

#include <QHash>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>

namespace Pinmark {

class ClipboardReader;

// The desktop services of the running program, on Qt's clipboard, URL opener, message box
// and window management. A failed operation tells the user and the program goes on.
class QtDesktopServices : public DesktopServices
{
public:
    // Asks the operating system once, at construction. The services are made before the window
    // system is set up, so that an offline start never prepares what only the web engine needs.
    QtDesktopServices();
    bool startsOnline() const { return m_probeResult != 0; }

    int probeConnectivity(quint32 *flags, quint32 reserved) override;
    void clipboardClear() override;
    void clipboardSetText(const QString &text) override;
    void clipboardReadText(QObject *context,
                           std::function<void(const ClipboardReading &)> done) override;
    void launchInSystemBrowser(const QString &address) override;
    void showMessageBox(const QString &text, const QString &title) override;
    void minimiseWindow(QWidget *window) override;
    void showWindow(QWidget *window) override;
    void closeWindow(QWidget *window) override;
    void endApplication() override;

    void reportFailure(const QString &arabic, const QString &english) override;

    // Where the clipboard reader helper may be found, in order. Call before the first read.
    void setClipboardReaderPaths(const QStringList &paths) { m_readerPaths = paths; }

    // From now on, text that the embedded pages put on the clipboard is taken off again at once.
    // Call once the application object exists.
    void guardClipboard();
    // At the end of the run: the text the program owns on the clipboard stays pasteable after it,
    // served by the first keeper program of the list for the window system that exists.
    void keepClipboardAfterExit(const QStringList &x11Keepers, const QStringList &waylandKeepers);

private:
    void openMessageBox(QMessageBox::Icon icon, const QString &title, const QString &text);
    void clipboard_changed();
    void restoreClipboard();

    QString m_published;    // what the code buttons last put on the clipboard
    bool m_writing = false; // set while this object writes the clipboard itself
    int m_probeResult = 0;
    quint32 m_probeFlags = 0;
    QStringList m_readerPaths;
    QPointer<ClipboardReader> m_reader;                // made at the first read
    QHash<QString, QPointer<QMessageBox>> m_openBoxes; // by title and text
};

} // namespace Pinmark

#pragma once
#include "platform/clipboard.h"
#include "platform/desktopservices.h"

#include <QHash>
#include <QMessageBox>
#include <QPointer>

namespace Pinmark {

// The desktop services of the running program, on the program's clipboard and Qt's URL opener,
// message box and window management. A failed operation tells the user and the program goes on.
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

    // Its reader paths, its guard and its hand-over at exit are set up by the program.
    Clipboard &clipboard() { return m_clipboard; }

private:
    void openMessageBox(QMessageBox::Icon icon, const QString &title, const QString &text);

    Clipboard m_clipboard;
    int m_probeResult = 0;
    quint32 m_probeFlags = 0;
    QHash<QString, QPointer<QMessageBox>> m_openBoxes; // by title and text
};

} // namespace Pinmark

#pragma once
#include "platform/desktopservices.h"

#include <QPointer>
#include <QStringList>

#include <vector>

using namespace Pinmark;

// Records every call in order and keeps a clipboard of its own. Window operations are
// carried out for real (they are harmless offscreen); ending the application is only recorded.
// A clipboard read stays out, as if another program were slow to answer, until the test
// answers it.
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
    QStringList failures;     // the English half of each reported failure
    int probes = 0;
    int endApplications = 0;

    int probeConnectivity(quint32 *flags, quint32 reserved) override;
    void clipboardClear() override;
    void clipboardSetText(const QString &text) override;
    void clipboardReadText(QObject *context,
                           std::function<void(const ClipboardReading &)> done) override;
    void reportFailure(const QString &arabic, const QString &english) override;

    // Reads asked for and not answered yet.
    int readsOut() const { return int(m_reads.size()); }
    // Answers the oldest read that is out: Text with what the clipboard holds now (the first of
    // clipboardAnswers, if any), or the given status. False when no read is out.
    bool answerClipboardRead(ClipboardReading::Status status = ClipboardReading::Text);
    void launchInSystemBrowser(const QString &address) override;
    void showMessageBox(const QString &text, const QString &title) override;
    void minimiseWindow(QWidget *window) override;
    void showWindow(QWidget *window) override;
    void closeWindow(QWidget *window) override;
    void endApplication() override;

private:
    struct Read
    {
        QPointer<QObject> context;
        std::function<void(const ClipboardReading &)> done;
    };
    std::vector<Read> m_reads;
};

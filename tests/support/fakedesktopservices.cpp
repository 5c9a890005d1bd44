#include "fakedesktopservices.h"

#include <QWidget>

int FakeDesktopServices::probeConnectivity(quint32 *flags, quint32)
{
    ++probes;
    calls << QStringLiteral("probeConnectivity");
    *flags = probeFlags;
    return probeResult;
}

void FakeDesktopServices::clipboardClear()
{
    calls << QStringLiteral("clipboardClear");
    clipboard.clear();
}

void FakeDesktopServices::clipboardSetText(const QString &text)
{
    calls << QStringLiteral("clipboardSetText");
    clipboard = text;
}

void FakeDesktopServices::clipboardReadText(QObject *context,
                                            std::function<void(const ClipboardReading &)> done)
{
    calls << QStringLiteral("clipboardReadText");
    m_reads.push_back({context, std::move(done)});
}

bool FakeDesktopServices::answerClipboardRead(ClipboardReading::Status status)
{
    if (m_reads.empty())
        return false;
    const Read read = m_reads.front();
    m_reads.erase(m_reads.begin());
    if (status == ClipboardReading::Text && !clipboardAnswers.isEmpty())
        clipboard = clipboardAnswers.takeFirst();
    if (read.context)
        read.done({status, status == ClipboardReading::Text ? clipboard : QString()});
    return true;
}

void FakeDesktopServices::reportFailure(const QString &, const QString &english)
{
    calls << QStringLiteral("reportFailure");
    failures << english;
}

void FakeDesktopServices::launchInSystemBrowser(const QString &address)
{
    calls << QStringLiteral("launch");
    launches << address;
}

void FakeDesktopServices::showMessageBox(const QString &text, const QString &title)
{
    calls << QStringLiteral("messageBox");
    messageBoxes << title + QLatin1Char('|') + text;
}

void FakeDesktopServices::minimiseWindow(QWidget *window)
{
    calls << QStringLiteral("minimise");
    window->setWindowState(window->windowState() | Qt::WindowMinimized);
}

void FakeDesktopServices::showWindow(QWidget *window)
{
    calls << QStringLiteral("showWindow");
    window->show();
}

void FakeDesktopServices::closeWindow(QWidget *window)
{
    calls << QStringLiteral("closeWindow");
    window->close();
}

void FakeDesktopServices::endApplication()
{
    calls << QStringLiteral("endApplication");
    ++endApplications;
}

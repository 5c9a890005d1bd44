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

QString FakeDesktopServices::clipboardGetText()
{
    calls << QStringLiteral("clipboardGetText");
    if (!clipboardAnswers.isEmpty())
        clipboard = clipboardAnswers.takeFirst();
    return clipboard;
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

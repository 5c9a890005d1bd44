#include "qtdesktopservices.h"

#include "connectivity.h"
#include "launchpolicy.h"
#include "safeaddress.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QMessageBox>
#include <QWidget>

QtDesktopServices::QtDesktopServices()
{
    m_probeResult = ::probeConnectivity(&m_probeFlags, 0);
}

int QtDesktopServices::probeConnectivity(quint32 *flags, quint32 reserved)
{
    Q_UNUSED(reserved);
    // The one reading of this run, taken at construction.
    if (flags)
        *flags = m_probeFlags;
    return m_probeResult;
}

void QtDesktopServices::clipboardClear()
{
    QGuiApplication::clipboard()->clear();
}

void QtDesktopServices::clipboardSetText(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(text);
    if (clipboard->text() != text) {
        reportFailure(QStringLiteral("تعذر نسخ الكود إلى الحافظة."),
                      QStringLiteral("The code could not be put on the clipboard."));
    }
}

QString QtDesktopServices::clipboardGetText()
{
    return QGuiApplication::clipboard()->text();
}

void QtDesktopServices::launchInSystemBrowser(const QString &address)
{
    if (address.isEmpty()) {
        reportFailure(QStringLiteral("لا يوجد عنوان لفتحه في المتصفح."),
                      QStringLiteral("There is no address to open in the web browser: the "
                                     "picture or link has none."));
        return;
    }
    if (!isLaunchableAddress(address)) {
        reportFailure(QStringLiteral("لا يمكن فتح هذا العنوان في المتصفح."),
                      QStringLiteral("This address cannot be opened in the web browser:\n") +
                          directSafeAddress(address.left(200)));
        return;
    }
    if (!QDesktopServices::openUrl(launchUrl(address))) {
        reportFailure(QStringLiteral("تعذر فتح المتصفح."),
                      QStringLiteral("The web browser could not be opened for:\n") +
                          address.left(200));
    }
}

void QtDesktopServices::showMessageBox(const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    box.exec();
}

void QtDesktopServices::minimiseWindow(QWidget *window)
{
    window->setWindowState(window->windowState() | Qt::WindowMinimized);
}

void QtDesktopServices::showWindow(QWidget *window)
{
    window->show();
    window->raise();
}

void QtDesktopServices::closeWindow(QWidget *window)
{
    window->close();
}

void QtDesktopServices::endApplication()
{
    QApplication::closeAllWindows();
    QCoreApplication::exit(0);
}

void QtDesktopServices::reportFailure(const QString &arabic, const QString &english)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Pinmark 1.0"),
                    arabic + QStringLiteral("\n\n") + english, QMessageBox::Ok);
    box.exec();
}

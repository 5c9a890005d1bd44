#include "platform/qtdesktopservices.h"

#include "core/launchpolicy.h"
#include "core/safeaddress.h"
#include "platform/connectivityprobe.h"
#include "platform/logging.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QWidget>

namespace Pinmark {

QtDesktopServices::QtDesktopServices()
{
    m_probeResult = Pinmark::probeConnectivity(&m_probeFlags, 0);
    qCDebug(lcPlatform, "connectivity: %d, flags 0x%x", m_probeResult, m_probeFlags);
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
    m_clipboard.clear();
}

void QtDesktopServices::clipboardSetText(const QString &text)
{
    if (!m_clipboard.publish(text)) {
        reportFailure(QStringLiteral("تعذر نسخ الكود إلى الحافظة."),
                      QStringLiteral("The code could not be put on the clipboard."));
    }
}

void QtDesktopServices::clipboardReadText(QObject *context,
                                          std::function<void(const ClipboardReading &)> done)
{
    m_clipboard.read(context, std::move(done));
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
        qCWarning(lcPlatform, "refused to open an address that is not an absolute web, ftp or "
                              "mail address");
        qCDebug(lcPlatform) << "refused:" << address.left(200);
        reportFailure(QStringLiteral("لا يمكن فتح هذا العنوان في المتصفح."),
                      QStringLiteral("This address cannot be opened in the web browser:\n") +
                          directSafeAddress(address.left(200)));
        return;
    }
    qCDebug(lcPlatform) << "opening" << launchUrl(address);
    if (!QDesktopServices::openUrl(launchUrl(address))) {
        qCWarning(lcPlatform, "the desktop's URL opener failed");
        reportFailure(QStringLiteral("تعذر فتح المتصفح."),
                      QStringLiteral("The web browser could not be opened for:\n") +
                          address.left(200));
    }
}

// Shows a box and returns at once. Boxes are asked for from inside page events, and a nested
// event loop there would let the browser replace, and delete, the document whose handler is
// still running: nothing is ever deleted while one of its handlers runs. A box already open with
// the same words is brought to the front instead: presses repeated while it is open pile up
// nothing.
void QtDesktopServices::openMessageBox(QMessageBox::Icon icon, const QString &title,
                                       const QString &text)
{
    const QString kind = title + QChar(u'\0') + text;
    if (QMessageBox *open = m_openBoxes.value(kind)) {
        open->raise();
        open->activateWindow();
        return;
    }
    m_openBoxes.removeIf([](decltype(m_openBoxes)::iterator closed) { return closed->isNull(); });
    auto *box = new QMessageBox(icon, title, text, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    m_openBoxes.insert(kind, box);
    box->open();
}

void QtDesktopServices::showMessageBox(const QString &text, const QString &title)
{
    openMessageBox(QMessageBox::NoIcon, title, text);
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
    openMessageBox(QMessageBox::Warning, QStringLiteral("Pinmark 1.0"),
                   arabic + QStringLiteral("\n\n") + english);
}

} // namespace Pinmark

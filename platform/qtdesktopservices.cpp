#include "platform/qtdesktopservices.h"

#include "core/launchpolicy.h"
#include "core/safeaddress.h"
#include "platform/clipboardkeeper.h"
#include "platform/clipboardreader.h"
#include "platform/connectivityprobe.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QScopedValueRollback>
#include <QWidget>

namespace Pinmark {

QtDesktopServices::QtDesktopServices()
{
    m_probeResult = Pinmark::probeConnectivity(&m_probeFlags, 0);
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
    const QScopedValueRollback writing(m_writing, true);
    m_published.clear();
    QGuiApplication::clipboard()->clear();
}

void QtDesktopServices::clipboardSetText(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    {
        const QScopedValueRollback writing(m_writing, true);
        m_published = text;
        clipboard->setText(text);
    }
    if (clipboard->text() != text) {
        reportFailure(QStringLiteral("تعذر نسخ الكود إلى الحافظة."),
                      QStringLiteral("The code could not be put on the clipboard."));
    }
}

void QtDesktopServices::clipboardReadText(QObject *context,
                                          std::function<void(const ClipboardReading &)> done)
{
    // Lives as long as the application, and with it any helper still out.
    if (!m_reader)
        m_reader = new ClipboardReader(m_readerPaths, QCoreApplication::instance());
    m_reader->read(context, std::move(done));
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

void QtDesktopServices::guardClipboard()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    QObject::connect(clipboard, &QClipboard::changed, clipboard, [this](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard)
            clipboard_changed();
    });
}

void QtDesktopServices::clipboard_changed()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (m_writing)
        return;
    // Another program took the clipboard: what the buttons put there is no longer on it.
    if (!clipboard->ownsClipboard()) {
        m_published.clear();
        return;
    }
    const QString text = clipboard->text();
    if (text == m_published)
        return;
    // The user copied from one of the program's own text fields.
    const auto *field = qobject_cast<const QLineEdit *>(QApplication::focusWidget());
    if (field && field->hasSelectedText() && field->selectedText() == text) {
        m_published = text;
        return;
    }
    // Written inside this process by something else: the web engine, on a page's behalf. Undone
    // once the engine's own write has returned.
    QMetaObject::invokeMethod(
        clipboard, [this] { restoreClipboard(); }, Qt::QueuedConnection);
}

void QtDesktopServices::restoreClipboard()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard->ownsClipboard())
        return;
    const QScopedValueRollback writing(m_writing, true);
    if (m_published.isEmpty())
        clipboard->clear();
    else
        clipboard->setText(m_published);
}

void QtDesktopServices::keepClipboardAfterExit(const QStringList &x11Keepers,
                                               const QStringList &waylandKeepers)
{
    // Elsewhere the clipboard's text outlives the program on its own.
    const QString platform = QGuiApplication::platformName();
    const bool wayland = platform.startsWith(QLatin1String("wayland"));
    if (platform != QLatin1String("xcb") && !wayland)
        return;
    const QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard->ownsClipboard())
        return;
    const QString text = clipboard->text();
    if (!text.isEmpty())
        keepClipboardText(wayland ? waylandKeepers : x11Keepers, text.toUtf8());
}

} // namespace Pinmark

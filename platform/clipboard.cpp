#include "platform/clipboard.h"

#include "core/clipboardrule.h"
#include "platform/clipboardkeeper.h"
#include "platform/clipboardreader.h"
#include "platform/logging.h"
#include "platform/windowsystem.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QScopedValueRollback>

namespace Pinmark {

void Clipboard::clear()
{
    const QScopedValueRollback writing(m_writing, true);
    m_published.clear();
    QGuiApplication::clipboard()->clear();
}

bool Clipboard::publish(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    {
        const QScopedValueRollback writing(m_writing, true);
        m_published = text;
        clipboard->setText(text);
    }
    if (clipboard->text() == text) {
        qCDebug(lcClipboard, "published %lld characters", qlonglong(text.size()));
        return true;
    }
    qCWarning(lcClipboard, "the clipboard did not take the code (%lld characters)",
              qlonglong(text.size()));
    return false;
}

void Clipboard::read(QObject *context, std::function<void(const ClipboardReading &)> done)
{
    // Lives as long as the application, and with it any helper still out.
    if (!m_reader)
        m_reader = new ClipboardReader(m_readerPaths, QCoreApplication::instance());
    m_reader->read(context, std::move(done));
}

void Clipboard::guard(OwnCopyTest isOwnCopy)
{
    m_isOwnCopy = std::move(isOwnCopy);
    QClipboard *clipboard = QGuiApplication::clipboard();
    QObject::connect(clipboard, &QClipboard::changed, clipboard, [this](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard)
            clipboard_changed();
    });
}

void Clipboard::clipboard_changed()
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
    if (m_isOwnCopy && m_isOwnCopy(text)) {
        m_published = text;
        return;
    }
    // Written inside this process by something else: the web engine, on a page's behalf.
    if (mayWriteClipboard(ClipboardWriter::Page))
        return;
    qCDebug(lcClipboard, "taking a page's write off the clipboard");
    // Undone once the engine's own write has returned.
    QMetaObject::invokeMethod(
        clipboard, [this] { restore(); }, Qt::QueuedConnection);
}

void Clipboard::restore()
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

void Clipboard::keepAfterExit(const QStringList &x11Keepers, const QStringList &waylandKeepers)
{
    // Elsewhere the clipboard's text outlives the program on its own.
    const WindowSystem system = windowSystem();
    if (system == WindowSystem::Other)
        return;
    const QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard->ownsClipboard()) {
        qCDebug(lcClipboard, "at exit: another program owns the clipboard");
        return;
    }
    const QString text = clipboard->text();
    if (text.isEmpty())
        return;
    qCDebug(lcClipboard, "at exit: handing %lld characters to a keeper", qlonglong(text.size()));
    keepClipboardText(system == WindowSystem::Wayland ? waylandKeepers : x11Keepers, text.toUtf8());
}

} // namespace Pinmark

#pragma once
#include "platform/desktopservices.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

namespace Pinmark {

class ClipboardReader;

// The program's clipboard. It publishes the codes, takes off at once what anything else in the
// program puts there (the web engine, on a page's behalf), reads the text for the paste button
// without waiting on the window, and at the end of the run hands the code it holds to a keeper,
// so that it stays pasteable after the program has ended.
class Clipboard
{
public:
    // Text the user copies from one of the program's own fields: it stays on the clipboard.
    using OwnCopyTest = std::function<bool(const QString &text)>;

    void clear();
    // False when the clipboard does not hold the text afterwards.
    bool publish(const QString &text);

    // Where the reader helper may be found, in order. Set before the first read.
    void setReaderPaths(const QStringList &paths) { m_readerPaths = paths; }
    // Reads the clipboard's plain text once; done runs later, from the event loop (see
    // DesktopServices::clipboardReadText).
    void read(QObject *context, std::function<void(const ClipboardReading &)> done);

    // From now on, text that reaches the clipboard from inside the program, other than the
    // published code and the user's own copies, is taken off again at once. Call once the
    // application object exists.
    void guard(OwnCopyTest isOwnCopy);

    // At the end of the run: the text the program owns on the clipboard stays pasteable, served
    // by the first keeper program of the list for the window system in use.
    void keepAfterExit(const QStringList &x11Keepers, const QStringList &waylandKeepers);

private:
    void clipboard_changed();
    void restore();

    QString m_published;    // what the code buttons last put on the clipboard
    bool m_writing = false; // set while the program writes the clipboard itself
    OwnCopyTest m_isOwnCopy;
    QStringList m_readerPaths;
    QPointer<ClipboardReader> m_reader; // made at the first read
};

} // namespace Pinmark

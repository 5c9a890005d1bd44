#pragma once
#include <QByteArray>
#include <QString>

namespace Pinmark {

// Hands the clipboard's text to the keeper program, which serves it after this program has ended
// until another program takes the clipboard. The keeper runs in a session of its own, outside
// this program's process tree. A clipboard manager, where one runs, takes the text instead: the
// keeper then leaves at once. Returns once the keeper owns the clipboard, or has declined, or
// after a short wait at most; true when it owns the clipboard.
bool startClipboardKeeper(const QString &program, const QByteArray &utf8Text);

} // namespace Pinmark

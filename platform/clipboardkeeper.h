#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace Pinmark {

enum class KeeperStart
{
    Serving,  // the keeper owns the clipboard and serves the text
    Declined, // nothing needs keeping, or the desktop offers no way to keep it
    Failed,   // the keeper did not start or did not answer
};

// Hands the clipboard's text to the keeper program, which serves it after this program has ended
// until another program takes the clipboard. The keeper runs in a session of its own, outside
// this program's process tree. A clipboard manager, where one runs, takes the text instead: the
// keeper then leaves at once. Returns once the keeper owns the clipboard, or has declined, or
// after a short wait at most.
KeeperStart startClipboardKeeper(const QString &program, const QByteArray &utf8Text);

// At the end of the run: the text stays pasteable, served by the first keeper of the list that
// exists. Where none can serve it, standard error says why; the run ends as it would have.
void keepClipboardText(const QStringList &keeperPaths, const QByteArray &utf8Text);

} // namespace Pinmark

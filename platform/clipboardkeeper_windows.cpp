#include "platform/clipboardkeeper.h"

namespace Pinmark {

// The Windows clipboard keeps its text after the program ends: Qt flushes it at exit.
KeeperStart startClipboardKeeper(const QString &, const QByteArray &)
{
    return KeeperStart::Declined;
}

void keepClipboardText(const QStringList &, const QByteArray &) {}

} // namespace Pinmark

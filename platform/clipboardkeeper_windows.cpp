#include "platform/clipboardkeeper.h"

namespace Pinmark {

// The Windows clipboard keeps its text after the program ends: Qt flushes it at exit.
bool startClipboardKeeper(const QString &, const QByteArray &)
{
    return false;
}

} // namespace Pinmark

#include "clipboardkeeper.h"

// The Windows clipboard keeps its text after the program ends: Qt flushes it at exit.
bool startClipboardKeeper(const QString &, const QByteArray &)
{
    return false;
}

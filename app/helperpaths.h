#pragma once
#include <QString>
#include <QStringList>

namespace Pinmark {

// Where the program's helpers (the engine plugin, the clipboard keeper) are looked for, in
// order: beside the program in a build, then in the program's library folder once installed.
QStringList helperPaths(const QString &programDir, const QString &name);

} // namespace Pinmark

#pragma once
#include <QtGlobal>

namespace Pinmark {

// Ends a page's renderer process at once. The page then reports it as terminated, and the
// browser brings the gallery back. Does nothing for a process number of 0 or less.
void endRendererProcess(qint64 pid);

} // namespace Pinmark

#include "browser/webengine/rendererprocess.h"

#include <windows.h>

namespace Pinmark {

void endRendererProcess(qint64 pid)
{
    if (pid <= 0)
        return;
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(pid))) {
        TerminateProcess(process, 1);
        CloseHandle(process);
    }
}

} // namespace Pinmark

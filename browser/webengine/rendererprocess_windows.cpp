#include "rendererprocess.h"

#include <windows.h>

void endRendererProcess(qint64 pid)
{
    if (pid <= 0)
        return;
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(pid))) {
        TerminateProcess(process, 1);
        CloseHandle(process);
    }
}

#include "rendererprocess.h"

#include <csignal>
#include <sys/types.h>

void endRendererProcess(qint64 pid)
{
    if (pid > 0)
        ::kill(static_cast<pid_t>(pid), SIGKILL);
}

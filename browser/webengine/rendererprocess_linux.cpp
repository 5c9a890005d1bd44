#include "browser/webengine/rendererprocess.h"

#include <csignal>
#include <sys/types.h>

namespace Pinmark {

void endRendererProcess(qint64 pid)
{
    if (pid > 0)
        ::kill(static_cast<pid_t>(pid), SIGKILL);
}

} // namespace Pinmark

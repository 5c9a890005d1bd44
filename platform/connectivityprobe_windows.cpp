#include "platform/connectivityprobe.h"

#include <windows.h>
#include <wininet.h>

namespace Pinmark {

int probeConnectivity(quint32 *flags, quint32 reserved)
{
    DWORD word = 0;
    const BOOL online = InternetGetConnectedState(&word, reserved);
    if (flags)
        *flags = word;
    return online ? 1 : 0;
}

} // namespace Pinmark

#pragma once
#include <QtGlobal>

namespace Pinmark {

// Asks the operating system whether the machine is online (one file per platform).
// Returns nonzero when online; any failure gives 0. Fills the kind bits of core/connectivity.h.
int probeConnectivity(quint32 *flags, quint32 reserved);

} // namespace Pinmark

#pragma once
#include <QString>

// Connection-kind bits of the flags word filled by the connectivity probe.
namespace ConnectionFlag {
constexpr quint32 Modem = 0x01;
constexpr quint32 Lan = 0x02;
constexpr quint32 Proxy = 0x04;
constexpr quint32 Offline = 0x20;
constexpr quint32 Configured = 0x40;
} // namespace ConnectionFlag

// The name of the first kind bit set, tested in the fixed order LAN, Modem, Proxy, Offline,
// Configured; empty when none of them is set.
QString connectionKind(quint32 flags);

// Asks the operating system whether the machine is online (one file per platform).
// Returns nonzero when online; any failure gives 0.
int probeConnectivity(quint32 *flags, quint32 reserved);

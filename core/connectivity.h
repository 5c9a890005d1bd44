#pragma once
#include <QList>
#include <QString>

namespace Pinmark {

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

// The kernel's view of the network, as plain data, so the verdict can be tested without one.
struct NetworkInterface
{
    QString name;
    bool up = false;
    bool loopback = false;
    bool pointToPoint = false;
    bool hasAddress = false;
};

struct NetworkView
{
    QList<QString> defaultRouteInterfaces; // the interfaces that carry a usable default route
    QList<NetworkInterface> interfaces;
    bool proxyConfigured = false;
};

// Online when a default route leaves through an interface that is up and not loopback.
// Fills the kind bits: Modem for a point-to-point interface, otherwise LAN; Proxy when a proxy
// is configured; Configured when any non-loopback interface has an address.
int connectivityVerdict(const NetworkView &view, quint32 *flags);

} // namespace Pinmark

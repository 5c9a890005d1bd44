#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

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
    QByteArray ipv4Routes; // the text of /proc/net/route
    QByteArray ipv6Routes; // the text of /proc/net/ipv6_route
    QList<NetworkInterface> interfaces;
    bool proxyConfigured = false;
};

// Online when a default route leaves through an interface that is up and not loopback.
// Fills the kind bits: Modem for a point-to-point interface, otherwise LAN; Proxy when a proxy
// is configured; Configured when any non-loopback interface has an address.
int connectivityVerdict(const NetworkView &view, quint32 *flags);

// The names of the interfaces that carry a usable default route.
QList<QString> defaultRouteInterfaces(const QByteArray &ipv4Routes, const QByteArray &ipv6Routes);

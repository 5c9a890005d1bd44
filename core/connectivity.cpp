#include "core/connectivity.h"

namespace Pinmark {

QString connectionKind(quint32 flags)
{
    if (flags & ConnectionFlag::Lan)
        return QStringLiteral("LAN");
    if (flags & ConnectionFlag::Modem)
        return QStringLiteral("Modem");
    if (flags & ConnectionFlag::Proxy)
        return QStringLiteral("Proxy");
    if (flags & ConnectionFlag::Offline)
        return QStringLiteral("Offline");
    if (flags & ConnectionFlag::Configured)
        return QStringLiteral("Configured");
    return {};
}

int connectivityVerdict(const NetworkView &view, quint32 *flags)
{
    quint32 word = 0;
    bool online = false;
    const QList<QString> &routed = view.defaultRouteInterfaces;
    for (const NetworkInterface &nic : view.interfaces) {
        if (nic.loopback)
            continue;
        if (nic.hasAddress)
            word |= ConnectionFlag::Configured;
        if (!online && nic.up && routed.contains(nic.name)) {
            online = true;
            word |= nic.pointToPoint ? ConnectionFlag::Modem : ConnectionFlag::Lan;
        }
    }
    if (view.proxyConfigured)
        word |= ConnectionFlag::Proxy;
    if (flags)
        *flags = word;
    return online ? 1 : 0;
}

} // namespace Pinmark

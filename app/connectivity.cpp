#include "connectivity.h"

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

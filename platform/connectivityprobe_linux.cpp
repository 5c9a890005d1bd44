#include "platform/connectivityprobe.h"

#include "core/connectivity.h"
#include "platform/routetable.h"

#include <QFile>
#include <QHash>

#include <ifaddrs.h>
#include <net/if.h>

namespace Pinmark {

namespace {
QByteArray readProcFile(const char *path)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool readInterfaces(QList<NetworkInterface> *out)
{
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0)
        return false;
    QHash<QString, qsizetype> index;
    for (const ifaddrs *a = list; a; a = a->ifa_next) {
        const QString name = QString::fromLocal8Bit(a->ifa_name);
        qsizetype at = index.value(name, -1);
        if (at < 0) {
            at = out->size();
            index.insert(name, at);
            NetworkInterface nic;
            nic.name = name;
            out->append(nic);
        }
        NetworkInterface &nic = (*out)[at];
        nic.up = nic.up || (a->ifa_flags & IFF_UP);
        nic.loopback = nic.loopback || (a->ifa_flags & IFF_LOOPBACK);
        nic.pointToPoint = nic.pointToPoint || (a->ifa_flags & IFF_POINTOPOINT);
        if (a->ifa_addr &&
            (a->ifa_addr->sa_family == AF_INET || a->ifa_addr->sa_family == AF_INET6))
            nic.hasAddress = true;
    }
    freeifaddrs(list);
    return true;
}

bool proxyInEnvironment()
{
    for (const char *name :
         {"http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY"}) {
        if (!qEnvironmentVariableIsEmpty(name))
            return true;
    }
    return false;
}
} // namespace

int probeConnectivity(quint32 *flags, quint32 reserved)
{
    Q_UNUSED(reserved);
    if (flags)
        *flags = 0;
    NetworkView view;
    if (!readInterfaces(&view.interfaces))
        return 0;
    view.defaultRouteInterfaces = defaultRouteInterfaces(readProcFile("/proc/net/route"),
                                                         readProcFile("/proc/net/ipv6_route"));
    view.proxyConfigured = proxyInEnvironment();
    return connectivityVerdict(view, flags);
}

} // namespace Pinmark

#include "platform/routetable.h"

namespace Pinmark {

namespace {
constexpr unsigned RouteUp = 0x0001;
constexpr unsigned RouteReject = 0x0200;

void addIpv4Defaults(const QByteArray &text, QList<QString> &out)
{
    // Iface Destination Gateway Flags RefCnt Use Metric Mask ...; addresses in hex.
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> f = lines[i].simplified().split(' ');
        if (f.size() < 8)
            continue;
        bool ok = false;
        const unsigned flags = f[3].toUInt(&ok, 16);
        if (ok && f[1] == "00000000" && f[7] == "00000000" && (flags & RouteUp) &&
            !(flags & RouteReject))
            out.append(QString::fromLatin1(f[0]));
    }
}

void addIpv6Defaults(const QByteArray &text, QList<QString> &out)
{
    // dest dest_len src src_len next_hop metric refcnt use flags iface; no header line.
    for (const QByteArray &line : text.split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() < 10)
            continue;
        bool ok = false;
        const unsigned flags = f[8].toUInt(&ok, 16);
        if (ok && f[0] == QByteArray(32, '0') && f[1] == "00" && (flags & RouteUp) &&
            !(flags & RouteReject))
            out.append(QString::fromLatin1(f[9]));
    }
}
} // namespace

QList<QString> defaultRouteInterfaces(const QByteArray &ipv4Routes, const QByteArray &ipv6Routes)
{
    QList<QString> names;
    addIpv4Defaults(ipv4Routes, names);
    addIpv6Defaults(ipv6Routes, names);
    return names;
}

} // namespace Pinmark

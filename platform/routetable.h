#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

namespace Pinmark {

// The names of the interfaces that carry a usable default route, read from the texts of
// /proc/net/route and /proc/net/ipv6_route.
QList<QString> defaultRouteInterfaces(const QByteArray &ipv4Routes, const QByteArray &ipv6Routes);

} // namespace Pinmark

#pragma once
#include <QString>
#include <QUrl>

namespace Pinmark {

// Whether the desktop's opener gets the address: one address, with nothing around it, whose
// scheme allows it (AddressUse::Launch).
bool isLaunchableAddress(const QString &address);

// The address as the opener receives it, percent-encoded; only valid when isLaunchableAddress()
// holds.
QUrl launchUrl(const QString &address);

} // namespace Pinmark

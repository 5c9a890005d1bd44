#pragma once
#include <QString>
#include <QUrl>

namespace Pinmark {

// Only absolute web, ftp and mail addresses go to the desktop's opener. Anything else (empty,
// relative, file:, javascript:, data:, a leading "-" ...) is refused, so a page cannot make the
// program open a local file or pass an option to the opener.
bool isLaunchableAddress(const QString &address);

// The address as the opener receives it, percent-encoded; only valid when isLaunchableAddress()
// holds.
QUrl launchUrl(const QString &address);

} // namespace Pinmark

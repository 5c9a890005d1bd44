#include "launchpolicy.h"

QUrl launchUrl(const QString &address)
{
    return QUrl(address, QUrl::StrictMode);
}

bool isLaunchableAddress(const QString &address)
{
    // Blanks and control characters have no place in an address handed to another program.
    for (const QChar ch : address) {
        if (ch.isSpace() || ch.category() == QChar::Other_Control)
            return false;
    }
    const QUrl url = launchUrl(address);
    if (!url.isValid() || url.isRelative())
        return false;
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("mailto"))
        return !url.path().isEmpty();
    const bool web = scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
                     scheme == QLatin1String("ftp");
    return web && !url.host().isEmpty();
}
